#pragma once
#include <functional>
#include <memory>

class CanvasController;

// Talking to annotate on one canvas: while its key is held, spoken words become the comment at
// the pointer. The canvas makes its talk controller through make on first use; without one
// (no talking in this build) the canvas never talks.
class Talk
{
public:
    virtual ~Talk() = default;
    // Whether the talk key is held now.
    virtual bool isHeld() const = 0;
    // Moves the level badge to where the words are going.
    virtual void placeBadge() = 0;

    static std::function<std::unique_ptr<Talk>(CanvasController &)> make;
};
