#pragma once

// Gives every canvas its talk controller and the settings their talk languages and notice
// (once, at start-up).
void installTalk();

// With talk on, the speech model loads in the background a moment after start-up and stays for
// the process, so that the first hold does not wait for it; turning talk on later loads it then.
void loadSpeechModelAhead();
