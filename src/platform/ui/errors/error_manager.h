#pragma once
// The global error manager: messages by number with their caption, text and severity, shown
// through the message sink. The message table is process-wide; the context a message is
// formatted with (procedure name, field, file, error text) belongs to the calling thread.
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/ui/errors/message_sink.h"

namespace zem::ui {

// Severity of a message; Throw answers it (Level::Cancel when the user declined a question).
// Notify, Program and Fatal messages are shown with an exclamation mark and answer their level;
// a User message asks Yes/No and answers Benign for Yes, Cancel otherwise; Benign and Cancel
// entries show nothing (a table entry set to Benign silences that message).
enum Level : int { Benign = 0, User = 1, Program = 2, Fatal = 3, Cancel = 4, Notify = 5 };

struct ErrorEntry {
    int id;
    Level level;
    std::string_view caption;
    std::string_view text;  // may hold %Field, %File, %Message, %ErrorText, %ErrorCode, %Procedure
};

// Message numbers the system raises.
namespace msg {
inline constexpr int OpenFailed = 1;
inline constexpr int AddFailed = 2;
inline constexpr int DuplicateKey = 3;
inline constexpr int FetchFailed = 4;
inline constexpr int PutFailed = 5;
inline constexpr int RecordNotFound = 6;
inline constexpr int LockFailed = 7;
inline constexpr int PrimeFailed = 8;
inline constexpr int DeleteFailed = 13;
inline constexpr int FieldNotInList = 17;
inline constexpr int FieldOutOfRange = 18;
inline constexpr int EntryNotReadable = 19;  // typed text an entry's picture can't read
}  // namespace msg

class ErrorManager {
  public:
    static ErrorManager& Global();
    ~ErrorManager();
    ErrorManager(const ErrorManager&) = delete;
    ErrorManager& operator=(const ErrorManager&) = delete;

    // Init makes the message table the built-in one again; Kill empties it. Neither touches the
    // sink or any thread's context.
    void Init();
    void Kill();

    // The current procedure of this thread (a stack: a nested window pushes its own name).
    void SetProcedureName(std::string_view name);
    void RemoveProcedureName();
    std::string ProcedureName() const;

    // This thread's context for the next message.
    void SetField(std::string_view name);
    void SetFile(std::string_view name);
    // Takes the error code and text of the thread's last store call; the database's own message
    // follows in parentheses when it reported one.
    void SetErrors();
    void SetErrorText(std::string_view text, int code = 0);

    // Shows a message and answers its level. An unknown id shows "Unknown error number N" and
    // answers Fatal. message fills %Message for this message only; ThrowFile sets the thread's
    // file as SetFile does, then throws.
    Level Throw(int id);
    Level ThrowMessage(int id, std::string_view message);
    Level ThrowFile(int id, std::string_view file);

    // The message's text and caption as they would be shown now on this thread.
    std::string FormatText(int id, std::string_view message = {}) const;
    std::string Caption(int id) const;

    // Adds or replaces entries of the message table.
    void AddErrors(std::span<const ErrorEntry> entries);

    // The console sink until a sink is set; setting nullptr brings the console sink back.
    void SetSink(std::shared_ptr<MessageSink> sink);
    std::shared_ptr<MessageSink> Sink() const;

  private:
    ErrorManager();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace zem::ui
