// A grid on a form together with a clean automation state: for the tests of the grid's exports
// and import.
#pragma once

#include <algorithm>
#include <string>

#include "tests/support/GridFixture.h"
#include "tests/support/OfficeTestSupport.h"

namespace carrelon::test {

class OfficeGridFixture : public GridFixture, protected TOleTestState {
protected:
    void SetUp() override {
        GridFixture::SetUp();
        Begin();
    }
    void TearDown() override {
        End();
        GridFixture::TearDown();
    }
    std::string File(const std::string& Name) const { return (Dir / Name).string(); }
    // Log entries that begin with Prefix.
    std::vector<AnsiString> Calls(const std::string& Prefix) const {
        std::vector<AnsiString> out;
        for (const auto& e : Log)
            if (e.rfind(Prefix, 0) == 0) out.push_back(e);
        return out;
    }
    bool Logged(const std::string& Entry) const {
        return std::find(Log.begin(), Log.end(), Entry) != Log.end();
    }
};

}  // namespace carrelon::test
