// The Pulsor module loaded from pulsorhost's plug-ins folder through the
// host's loader, as pulsorhost loads it: the tests of pulsorhost's pieces
// link none of the module's code either.
#ifndef PULSORHOST_TESTS_LOADED_PULSOR_H__
#define PULSORHOST_TESTS_LOADED_PULSOR_H__

// True when the Pulsor tag type is registered afterwards. The module is
// ended when the tests are done, before the program's exit takes its
// globals: every document of a test must be gone by then.
bool LoadPulsorModule();

#endif
