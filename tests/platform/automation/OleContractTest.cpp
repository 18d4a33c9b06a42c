// The automation contract: COM initialisation, the server registry, running instances, start
// failures, injected member failures and the call log.
#include "platform/automation/ExcelAutomation.h"
#include "tests/support/OfficeTestSupport.h"

namespace carrelon::test {
namespace {

using OleContract = OleTest;

TEST_F(OleContract, CoInitializeCountsNestedCallsAndCanBeMadeToFail) {
    EXPECT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    EXPECT_EQ(OleInitializeDepth(), 2);
    CoUninitialize();
    CoUninitialize();
    EXPECT_EQ(OleInitializeDepth(), 0);
    CoUninitialize();  // unpaired: harmless
    EXPECT_EQ(OleInitializeDepth(), 0);

    InjectCoInitializeResult(E_OUTOFMEMORY);
    EXPECT_EQ(CoInitialize(nullptr), E_OUTOFMEMORY);
    EXPECT_EQ(OleInitializeDepth(), 0);
}

TEST_F(OleContract, UnknownProgIDFailsAsAMissingInstallation) {
    UnregisterOleServer("Excel.Application");
    try {
        CreateOleObject("Excel.Application");
        FAIL() << "expected EOleSysError";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode, CO_E_CLASSSTRING);
        EXPECT_EQ(e.Message, "Invalid class string");
    }
    EXPECT_THROW(ProgIDToClassID("Nothing.Here"), EOleSysError);
    ResetOleServers();
    EXPECT_NE(CreateOleObject("excel.application"), nullptr);  // ProgIDs ignore case
}

TEST_F(OleContract, InjectedStartFailureCarriesItsMessageUntilCleared) {
    InjectOleStartFailure("Excel.Application", "Server execution failed", E_FAIL);
    try {
        CreateOleObject("Excel.Application");
        FAIL() << "expected EOleSysError";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.Message, "Server execution failed");
        EXPECT_EQ(e.ErrorCode, E_FAIL);
    }
    EXPECT_THROW(CreateComObject(ProgIDToClassID("Excel.Application")), EOleSysError);
    ClearOleInjections();
    EXPECT_NO_THROW(CreateOleObject("Excel.Application"));
}

TEST_F(OleContract, GetActiveObjectFindsOnlyInstancesGivenToTheUser) {
    const TCLSID id = ProgIDToClassID("Excel.Application");
    IUnknownPtr found;
    EXPECT_EQ(GetActiveObject(id, nullptr, found), MK_E_UNAVAILABLE);
    EXPECT_EQ(found, nullptr);

    auto app = OleCast<excel::Application>(CreateOleObject("Excel.Application"));
    EXPECT_EQ(GetActiveObject(id, nullptr, found), MK_E_UNAVAILABLE);  // hidden: not running
    app->GetWorkbooks()->Add();
    app->SetVisible(true);
    ASSERT_EQ(GetActiveObject(id, nullptr, found), S_OK);
    EXPECT_EQ(found.get(), app.get());
    IUnknownPtr dispatch;
    EXPECT_EQ(found->QueryInterface(IID_IDispatch, dispatch), S_OK);

    // The running instance outlives the client's reference until it quits.
    std::weak_ptr<excel::Application> weak = app;
    app.reset();
    found.reset();
    dispatch.reset();
    ASSERT_FALSE(weak.expired());
    weak.lock()->Quit();
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(GetActiveObject(id, nullptr, found), MK_E_UNAVAILABLE);
}

TEST_F(OleContract, CreateComObjectStartsANewInstanceEachTime) {
    const TCLSID id = ProgIDToClassID("Excel.Application");
    IUnknownPtr a = CreateComObject(id), b = CreateComObject(id);
    EXPECT_NE(a, b);
    EXPECT_THROW(OleCast<excel::Workbook>(a), EOleSysError);
}

TEST_F(OleContract, OleCheckRaisesOnlyOnFailure) {
    EXPECT_NO_THROW(OleCheck(S_OK));
    EXPECT_NO_THROW(OleCheck(S_FALSE));
    try {
        OleCheck(MK_E_UNAVAILABLE);
        FAIL();
    } catch (const EOleSysError& e) {
        EXPECT_EQ(e.ErrorCode, MK_E_UNAVAILABLE);
        EXPECT_EQ(e.Message, "Operation unavailable");
    }
    EXPECT_TRUE(IsEmptyParam(EmptyParam));
    EXPECT_FALSE(IsEmptyParam(Variant()));
}

TEST_F(OleContract, CallLogRecordsMembersInOrderWithArguments) {
    SetOleCallLog(&Log);
    auto app = OleCast<excel::Application>(CreateOleObject("Excel.Application"));
    app->SetVisible(false);
    app->SetSheetsInNewWorkbook(1);
    app->GetWorkbooks()->Add();
    auto sheet = app->GetActiveSheet();
    auto cell = sheet->Cells(2, 3);
    cell->SetValue(Variant("x"));
    cell->BorderAround(EmptyParam, excel::xlMedium, EmptyParam, 255);
    const std::vector<AnsiString> expected = {
        "Excel.Application.Visible := False",
        "Excel.Application.SheetsInNewWorkbook := 1",
        "Excel.Application.Workbooks",
        "Excel.Workbooks.Add",
        "Excel.Application.ActiveSheet",
        "Excel.Worksheet.Cells(2, 3)",
        "Excel.Range.Value := \"x\"",
        "Excel.Range.BorderAround(<omitted>, -4138, <omitted>, 255)"};
    EXPECT_EQ(Log, expected);
}

TEST_F(OleContract, InjectedMemberFailureRaisesAtTheChosenCallOnce) {
    auto app = OleCast<excel::Application>(CreateOleObject("Excel.Application"));
    app->GetWorkbooks()->Add();
    auto sheet = app->GetActiveSheet();
    InjectOleMemberFailure("Excel.Range.Merge", "Cannot merge", 2);
    auto range = sheet->GetRange(sheet->Cells(1, 1), sheet->Cells(2, 2));
    EXPECT_NO_THROW(range->Merge());
    try {
        range->Merge();
        FAIL() << "expected EOleException";
    } catch (const EOleException& e) {
        EXPECT_EQ(e.Message, "Cannot merge");
        EXPECT_EQ(e.Source, "Excel");
        EXPECT_EQ(e.ErrorCode, DISP_E_EXCEPTION);
    }
    EXPECT_NO_THROW(range->Merge());  // raised once only
}

TEST_F(OleContract, AnotherServerCanBeRegisteredUnderAProgID) {
    struct Fake : IDispatch {};
    int started = 0;
    const TCLSID id{0x12345678, 1, 2, {1, 2, 3, 4, 5, 6, 7, 8}};
    RegisterOleServer("Test.Server", id, [&](const TCLSID&) {
        ++started;
        return std::make_shared<Fake>();
    });
    EXPECT_EQ(ProgIDToClassID("Test.Server"), id);
    EXPECT_NE(CreateOleObject("Test.Server"), nullptr);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(GUIDToString(id), "{12345678-0001-0002-0102-030405060708}");
}

}  // namespace
}  // namespace carrelon::test
