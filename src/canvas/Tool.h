#pragma once

// The tool armed for the next press on the canvas (none: a drag draws an arrow).
enum class Tool { arrow = 0, text = 1, box = 2, redaction = 3 };
