#pragma once

#include <gtest/gtest.h>

// A test that holds every root object (device, swap chain, DirectInput) created through the
// hooked imports while it runs, and ends with a leak check: after the derived TearDown has
// shut its objects down, each root must die with the last reference.
class HeldRootsTest : public ::testing::Test
{
public:
    // Releases the roots held so far, expecting each to die with it; returns how many there were.
    static size_t ExpectRootsReleased();

protected:
    void SetUp() override;
    void TearDown() override;
};
