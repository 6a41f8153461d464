// Releasing an interface the sound code holds: once, and the pointer cleared, so
// that releasing twice is harmless.
#pragma once

template <typename T>
void ReleaseInterface(T*& object) {
    if (!object) return;
    object->Release();
    object = nullptr;
}
