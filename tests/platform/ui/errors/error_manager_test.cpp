#include "platform/ui/errors/error_manager.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "platform/store/errors.h"
#include "platform/ui/errors/recording_sink.h"

namespace zem::ui {
namespace {

constexpr int kTestMessage = 900;

class ErrorManagerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        manager().Init();
        manager().SetSink(sink_);
        manager().SetField("");
        manager().SetFile("");
        manager().SetErrorText("", 0);
        while (!manager().ProcedureName().empty()) manager().RemoveProcedureName();
    }
    void TearDown() override { manager().SetSink(nullptr); }

    static ErrorManager& manager() { return ErrorManager::Global(); }

    // The one message shown since the test began.
    MessageRequest Shown() const {
        EXPECT_EQ(sink_->Count(), 1u);
        return sink_->Last().value_or(MessageRequest{});
    }

    std::shared_ptr<RecordingSink> sink_ = std::make_shared<RecordingSink>();
};

struct BuiltinCase {
    int id;
    const char* caption;
    const char* text;  // with field Price, file Products, error text Disk full, message K1
};

std::ostream& operator<<(std::ostream& out, const BuiltinCase& c) {
    return out << "message " << c.id;
}

class BuiltinErrorsTest : public ErrorManagerTest,
                          public ::testing::WithParamInterface<BuiltinCase> {};

TEST_P(BuiltinErrorsTest, ShowsTheNoticeWithTheThreadsContext) {
    const BuiltinCase& c = GetParam();
    manager().SetField("Price");
    manager().SetFile("Products");
    manager().SetErrorText("Disk full", 90);

    EXPECT_EQ(manager().Caption(c.id), c.caption);
    EXPECT_EQ(manager().FormatText(c.id, "K1"), c.text);
    EXPECT_EQ(manager().ThrowMessage(c.id, "K1"), Notify);
    const MessageRequest shown = Shown();
    EXPECT_EQ(shown.text, c.text);
    EXPECT_EQ(shown.caption, c.caption);
    EXPECT_EQ(shown.icon, Icon::Exclamation);
    EXPECT_EQ(shown.buttons, ButtonOk);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BuiltinErrorsTest,
    ::testing::Values(
        BuiltinCase{msg::OpenFailed, "File Open Error",
                    "An error (Disk full) was experienced when opening the Products file."},
        BuiltinCase{msg::AddFailed, "Record Was Not Added",
                    "An error (Disk full) was experienced when adding a record to the Products "
                    "file."},
        BuiltinCase{msg::DuplicateKey, "Duplicate Key Error",
                    "Adding this record creates a duplicate entry for the key: K1"},
        BuiltinCase{msg::FetchFailed, "Record Retrieval Error",
                    "An error (Disk full) was experienced when retrieving a record from the "
                    "Products file."},
        BuiltinCase{msg::PutFailed, "Record Was Not Changed",
                    "An error (Disk full) was experienced when changing a record in the Products "
                    "file."},
        BuiltinCase{msg::RecordNotFound, "Record Not Found",
                    "The record was not found in the Products file (K1)."},
        BuiltinCase{msg::LockFailed, "Lock Error",
                    "An error (Disk full) was experienced when locking the Products file."},
        BuiltinCase{msg::PrimeFailed, "Record Was Not Primed",
                    "An error (Disk full) was experienced when preparing a new record for the "
                    "Products file."},
        BuiltinCase{msg::DeleteFailed, "Record was not deleted",
                    "An error (Disk full) was experienced when deleting a record from the "
                    "Products file."},
        BuiltinCase{msg::FieldNotInList, "Value Error",
                    "The value of Price must be in the list : K1."},
        BuiltinCase{msg::FieldOutOfRange, "Range Error",
                    "The value of Price must be in range K1."}));

TEST_F(ErrorManagerTest, SubstitutesEveryPlaceholderOnce) {
    const std::array entries{
        ErrorEntry{kTestMessage, Program, "Test",
                   "%Procedure|%Field|%File|%Message|%ErrorText|%ErrorCode|%Other|100%|%"}};
    manager().AddErrors(entries);
    manager().SetProcedureName("BrowseProducts");
    // Values holding placeholder names are shown as they are, not expanded again.
    manager().SetField("%File");
    manager().SetFile("Products");
    manager().SetErrorText("Locked by %Field", 32);

    EXPECT_EQ(manager().ThrowMessage(kTestMessage, "%ErrorCode"), Program);
    const MessageRequest shown = Shown();
    EXPECT_EQ(shown.text,
              "BrowseProducts|%File|Products|%ErrorCode|Locked by %Field|32|%Other|100%|%");
    EXPECT_EQ(shown.caption, "Test");
    EXPECT_EQ(shown.icon, Icon::Exclamation);
}

TEST_F(ErrorManagerTest, ProcedureNamesNest) {
    manager().SetProcedureName("Main");
    manager().SetProcedureName("UpdateProduct");
    EXPECT_EQ(manager().ProcedureName(), "UpdateProduct");
    manager().RemoveProcedureName();
    EXPECT_EQ(manager().ProcedureName(), "Main");
    manager().RemoveProcedureName();
    EXPECT_EQ(manager().ProcedureName(), "");
    manager().RemoveProcedureName();  // one too many is harmless
    EXPECT_EQ(manager().ProcedureName(), "");
}

TEST_F(ErrorManagerTest, UnknownNumberIsFatal) {
    EXPECT_EQ(manager().Throw(12345), Fatal);
    const MessageRequest shown = Shown();
    EXPECT_EQ(shown.text, "Unknown error number 12345");
    EXPECT_EQ(shown.caption, "Error");
    EXPECT_EQ(manager().FormatText(12345), "Unknown error number 12345");
    EXPECT_EQ(manager().Caption(12345), "Error");
}

struct QuestionCase {
    std::optional<unsigned> answer;  // nullopt: the sink answers the default button
    Level level;
};

std::ostream& operator<<(std::ostream& out, const QuestionCase& c) {
    return out << "answer " << c.answer.value_or(0);
}

class QuestionTest : public ErrorManagerTest, public ::testing::WithParamInterface<QuestionCase> {};

TEST_P(QuestionTest, UserLevelAsksYesOrNo) {
    const std::array entries{ErrorEntry{kTestMessage, User, "Confirm", "Delete %File?"}};
    manager().AddErrors(entries);
    if (GetParam().answer) sink_->AnswerNext(*GetParam().answer);

    EXPECT_EQ(manager().ThrowFile(kTestMessage, "Keywords"), GetParam().level);
    const MessageRequest shown = Shown();
    EXPECT_EQ(shown.text, "Delete Keywords?");
    EXPECT_EQ(shown.icon, Icon::Question);
    EXPECT_EQ(shown.buttons, ButtonYes | ButtonNo);
    EXPECT_EQ(shown.defaultButton, ButtonYes);
}

INSTANTIATE_TEST_SUITE_P(Answers, QuestionTest,
                         ::testing::Values(QuestionCase{ButtonYes, Benign},
                                           QuestionCase{ButtonNo, Cancel},
                                           QuestionCase{std::nullopt, Benign}));

TEST_F(ErrorManagerTest, BenignEntryShowsNothing) {
    const std::array entries{ErrorEntry{msg::LockFailed, Benign, "Lock Error", "quiet"}};
    manager().AddErrors(entries);
    EXPECT_EQ(manager().Throw(msg::LockFailed), Benign);
    EXPECT_EQ(sink_->Count(), 0u);
}

TEST_F(ErrorManagerTest, FileStaysSetAndMessageDoesNot) {
    manager().ThrowFile(msg::OpenFailed, "Products");
    manager().ThrowMessage(msg::DuplicateKey, "K1");
    manager().Throw(msg::OpenFailed);
    manager().Throw(msg::DuplicateKey);
    const auto requests = sink_->Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[2].text, requests[0].text);
    EXPECT_NE(requests[0].text.find("the Products file"), std::string::npos);
    EXPECT_EQ(requests[3].text, "Adding this record creates a duplicate entry for the key: ");
}

TEST_F(ErrorManagerTest, TableCanBeChangedAndRestored) {
    const std::array entries{ErrorEntry{msg::OpenFailed, Fatal, "Cannot Start", "No %File."}};
    manager().AddErrors(entries);
    manager().SetFile("Settings");
    EXPECT_EQ(manager().Throw(msg::OpenFailed), Fatal);
    EXPECT_EQ(sink_->Last()->text, "No Settings.");
    EXPECT_EQ(sink_->Last()->caption, "Cannot Start");

    manager().Kill();
    EXPECT_EQ(manager().Throw(msg::FieldOutOfRange), Fatal);
    EXPECT_EQ(sink_->Last()->text, "Unknown error number 18");

    manager().Init();
    EXPECT_EQ(manager().Caption(msg::OpenFailed), "File Open Error");
    EXPECT_EQ(manager().Throw(msg::FieldOutOfRange), Notify);
}

struct StoreErrorCase {
    int code;
    int fileCode;
    const char* detail;
    bool detailShown;
};

std::ostream& operator<<(std::ostream& out, const StoreErrorCase& c) {
    return out << "code " << c.code << " file code " << c.fileCode;
}

class SetErrorsTest : public ErrorManagerTest,
                      public ::testing::WithParamInterface<StoreErrorCase> {};

TEST_P(SetErrorsTest, TakesTheThreadsLastStoreError) {
    const StoreErrorCase& c = GetParam();
    store::SetError(c.code, c.fileCode, c.detail);
    manager().SetErrors();
    store::ClearError();  // what was taken stays with the manager

    std::string text(store::StandardErrorText(c.code));
    if (c.detailShown) text += std::string(" (") + c.detail + ")";
    const std::array entries{ErrorEntry{kTestMessage, Notify, "Test", "%ErrorText/%ErrorCode"}};
    manager().AddErrors(entries);
    EXPECT_EQ(manager().FormatText(kTestMessage), text + "/" + std::to_string(c.code));
}

INSTANTIATE_TEST_SUITE_P(
    StoreErrors, SetErrorsTest,
    ::testing::Values(StoreErrorCase{store::FileSystemError, 19, "UNIQUE constraint failed", true},
                      StoreErrorCase{store::DuplicateKey, 0, "", false},
                      StoreErrorCase{store::RecordNotFound, 0, "ignored without a code", false},
                      StoreErrorCase{store::NoError, 0, "", false}));

TEST_F(ErrorManagerTest, MessageGoesThroughTheSink) {
    sink_->AnswerNext(ButtonRetry);
    EXPECT_EQ(
        Message("Try again?", "Network", Icon::Hand, ButtonRetry | ButtonCancel, ButtonCancel),
        ButtonRetry);
    const MessageRequest shown = Shown();
    EXPECT_EQ(shown.text, "Try again?");
    EXPECT_EQ(shown.caption, "Network");
    EXPECT_EQ(shown.icon, Icon::Hand);
    EXPECT_EQ(shown.buttons, ButtonRetry | ButtonCancel);
    EXPECT_EQ(shown.defaultButton, ButtonCancel);
    // No answer left: the default button.
    EXPECT_EQ(Message("Again?", "Network", Icon::Hand, ButtonRetry | ButtonCancel, ButtonCancel),
              ButtonCancel);
}

TEST_F(ErrorManagerTest, ClearingTheSinkBringsBackTheConsole) {
    EXPECT_EQ(manager().Sink(), sink_);
    manager().SetSink(nullptr);
    EXPECT_EQ(manager().Sink(), ConsoleSink());
}

TEST(ConsoleSinkTest, WritesCaptionAndTextAndAnswersTheDefault) {
    ::testing::internal::CaptureStderr();
    const unsigned answer = ConsoleSink()->Show(
        {"Keyword list is empty", "Export", Icon::Exclamation, ButtonYes | ButtonNo, ButtonNo});
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Export: Keyword list is empty\n");
    EXPECT_EQ(answer, ButtonNo);
}

TEST(RecordingSinkTest, AnswersInOrderThenTheDefault) {
    RecordingSink sink;
    EXPECT_FALSE(sink.Last());
    sink.AnswerNext(ButtonNo);
    sink.AnswerNext(ButtonAbort);
    const MessageRequest request{"text", "caption", Icon::Question, ButtonYes | ButtonNo,
                                 ButtonYes};
    EXPECT_EQ(sink.Show(request), ButtonNo);
    EXPECT_EQ(sink.Show(request), ButtonAbort);
    EXPECT_EQ(sink.Show(request), ButtonYes);
    EXPECT_EQ(sink.Count(), 3u);

    sink.AnswerNext(ButtonNo);
    sink.Clear();
    EXPECT_EQ(sink.Count(), 0u);
    EXPECT_EQ(sink.Show(request), ButtonYes) << "Clear drops the answers not used";
}

}  // namespace
}  // namespace zem::ui
