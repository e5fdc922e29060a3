#pragma once
// The options of the built-in test scene. They outlive a connection, and the source dialog
// (user-interface thread) changes them while the scene is drawn on the capture thread.

#include <atomic>

struct TestSceneOptions
{
    std::atomic<bool> motion{true};  // the box moves
    std::atomic<bool> noise{false};  // every pixel flickers a little, as a camera's do
    std::atomic<bool> clock{true};   // the time of day; without it and motion the scene is still
    std::atomic<bool> dimmed{false}; // "Light switch": the whole scene at half its brightness
    // No frame comes, as from a driver that hangs: for tests, never offered in the dialog.
    std::atomic<bool> frozen{false};
};
