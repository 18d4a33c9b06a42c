// A form with a TCarrelon on it, for the grid tests of every part of the control. Message
// boxes are recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "grid/Carrelon.h"
#include "platform/controls/Forms.h"

namespace carrelon::testing {

class GridFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Fails the test with the reason when the model's invariants do not hold.
    void ExpectModelSound() const;

    std::unique_ptr<TForm> Form;
    TCarrelon* Grid = nullptr;  // owned by Form
    std::vector<AnsiString> Messages;

private:
    TMessageDlgHandler FSavedHandler;
};

// Makes the cell at (absolute column A0, row R0) cover the rectangle up to (A1, R1): the other
// cells of the rectangle are freed and their slots take the kept cell. For building merged
// layouts in tests without the merge operations.
TCarrelonCell* MakeMergedCell(TCarrelon* Grid, int A0, int R0, int A1, int R1);

}  // namespace carrelon::testing
