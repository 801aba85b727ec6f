#pragma once

// True while the built-in self-check drives the application: windows then stay out of sight and
// nothing activates the application.
namespace SelfCheckFlag {
bool isSet();
void set(bool on);
}
