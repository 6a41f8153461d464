// Compiled only to make the precompiled header the test files share.
