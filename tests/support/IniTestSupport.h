// INI text in tests: a grid's saved text as one string, and a text loaded into a grid.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "grid/Carrelon.h"
#include "platform/rtl/Lists.h"

namespace carrelon::test {

inline std::string SavedText(TCarrelon* Grid) {
    TStringList list;
    EXPECT_TRUE(Grid->SaveToIniStrings(&list));
    return list.GetText();
}

inline bool LoadText(TCarrelon* Grid, const std::string& Text) {
    TStringList list;
    list.SetText(Text);
    return Grid->LoadFromIniStrings(&list);
}

}  // namespace carrelon::test
