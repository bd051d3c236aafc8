#include "ScopedInterface.h"

#include <gtest/gtest.h>

namespace
{
// Counts its references like a COM object.
class Counted
{
public:
    unsigned long AddRef() { return ++references; }
    unsigned long Release() { return --references; }
    unsigned long references = 1;
};

bool CreateThenGiveUp(Counted& object, bool giveUpEarly)
{
    ScopedInterface<Counted> temporary;
    *temporary.Put() = &object;
    if (giveUpEarly)
        return false;
    temporary->AddRef();
    temporary->Release();
    return true;
}
}

// The temporaries of a set-up step are let go on every way out of it.
TEST(ScopedInterface, ReleasesItsReferenceOnEveryWayOut)
{
    Counted early;
    EXPECT_FALSE(CreateThenGiveUp(early, true));
    EXPECT_EQ(early.references, 0u);

    Counted late;
    EXPECT_TRUE(CreateThenGiveUp(late, false));
    EXPECT_EQ(late.references, 0u);

    // A creating call that failed leaves nothing to release.
    ScopedInterface<Counted> empty;
    EXPECT_EQ(empty.Get(), nullptr);
}
