#pragma once

// Gives every canvas its talk controller and the settings their talk languages and notice
// (once, at start-up).
void installTalk();
