#pragma once

// The small controls shown beside the comment under the pointer.
namespace CommentControls {
enum class Part { grip, trash };
} // namespace CommentControls
