#pragma once
#include <functional>
#include <memory>

class CanvasController;
class TalkController;

// Talking to annotate on one canvas: while its key is held, spoken words become the comment at
// the pointer. The canvas makes its talk controller through make at the end of its own
// construction and keeps it for its life; without one (no talking in this build) the canvas
// never talks.
class Talk
{
public:
    virtual ~Talk() = default;
    // Whether the talk key is held now.
    virtual bool isHolding() const = 0;
    // Moves the listening badge to where the words are going.
    virtual void placeBadge() = 0;
    // Stops talking without words; the canvas's spoken place is left to the caller.
    virtual void cancel() = 0;
    // The controller that holds the key, the listener and the badge; none for a talk without one
    // (a stand-in).
    virtual TalkController *controller() { return nullptr; }

    static std::function<std::unique_ptr<Talk>(CanvasController &)> make;
};
