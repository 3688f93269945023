#include <gtest/gtest.h>

#include "textcodec/CodePage.h"

TEST(SystemCodePage, IsKoreanUntilSetAndScopedChangesAreUndone) {
    EXPECT_EQ(textcodec::SystemCodePage(), 949);
    {
        textcodec::ScopedSystemCodePage western(1252);
        EXPECT_EQ(textcodec::SystemCodePage(), 1252);
        {
            textcodec::ScopedSystemCodePage utf8(65001);
            EXPECT_EQ(textcodec::SystemCodePage(), 65001);
        }
        EXPECT_EQ(textcodec::SystemCodePage(), 1252);
    }
    EXPECT_EQ(textcodec::SystemCodePage(), 949);
}
