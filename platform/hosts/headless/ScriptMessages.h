// ScriptMessages.h — every text a script failure reports, in one place.
//
// A text is a template: each "{}" is filled, in order, by fill(); the quotes
// around a value are part of the template. The parser and the runner build
// their messages from these, and the tests check against the same ones, so
// a message cannot drift between where it is made and where it is read.
// Users read them after "script:LINE: " (script_message in Script.h).
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace platform::script::msg {

// ------------------------------------------------------------ reading a line

inline constexpr std::string_view kControlCharacter = "control character in the line";
inline constexpr std::string_view kControlCharacterQuoted = "control character in quoted text";
inline constexpr std::string_view kUnknownEscape = "unknown escape \\{} in quoted text";
inline constexpr std::string_view kUnterminatedQuote = "unterminated quoted text";
inline constexpr std::string_view kSpaceAfterQuote = "a closing quote must be followed by a space";
inline constexpr std::string_view kQuoteInWord = "quote inside a word (quote the whole text)";
inline constexpr std::string_view kQuotedCommand = "a line starts with a command, not quoted text";
inline constexpr std::string_view kUnknownCommand = "unknown command '{}'";
inline constexpr std::string_view kUnknownExpectation = "unknown expectation '{}'";
inline constexpr std::string_view kUnknownModifier = "unknown modifier '{}' (cmd, shift, alt, ctrl)";
inline constexpr std::string_view kNothingAfterEnd = "nothing can follow 'expect end'";

// How each command is written, shown when a line has too few or too many words.
inline constexpr std::string_view kUsageMenu = "usage: menu \"Menu\" \"Item\"";
inline constexpr std::string_view kUsageKey = "usage: key [cmd+][shift+][alt+][ctrl+]NAME-OR-CHARACTER";
inline constexpr std::string_view kUsageType = "usage: type \"text\"";
inline constexpr std::string_view kUsageClick = "usage: click X Y | click \"Title\" X Y";
inline constexpr std::string_view kUsageDrag = "usage: drag X1 Y1 X2 Y2";
inline constexpr std::string_view kUsageButton = "usage: button \"Title\"";
inline constexpr std::string_view kUsageWait = "usage: wait MILLISECONDS";
inline constexpr std::string_view kUsageOpenDocuments = "usage: odoc PATH...";
inline constexpr std::string_view kUsageQuit = "usage: quit";
inline constexpr std::string_view kUsageScreenshot = "usage: screenshot FILE.png";
inline constexpr std::string_view kUsageExpect =
    "usage: expect window|no-window|front|bounds|dialog|field|menu-item|file|end ...";
inline constexpr std::string_view kUsageExpectWindow = "usage: expect window|no-window|front \"Title\"";
inline constexpr std::string_view kUsageExpectBounds = "usage: expect bounds \"Title\" LEFT TOP RIGHT BOTTOM";
inline constexpr std::string_view kUsageExpectDialog = "usage: expect dialog [\"text\"]";
inline constexpr std::string_view kUsageExpectField = "usage: expect field \"text\"";
inline constexpr std::string_view kUsageExpectMenuItem = "usage: expect menu-item \"Menu\" \"Item\" enabled|disabled";
inline constexpr std::string_view kUsageExpectFile = "usage: expect file PATH";
inline constexpr std::string_view kUsageExpectEnd = "usage: expect end";

// Arguments.
inline constexpr std::string_view kBadCoordinate = "bad coordinate '{}'";
inline constexpr std::string_view kBadMilliseconds = "bad number of milliseconds '{}'";
inline constexpr std::string_view kEmptyMenuTitle = "empty menu title";
inline constexpr std::string_view kEmptyItemText = "empty item text";
inline constexpr std::string_view kEmptyWindowTitle = "empty window title";
inline constexpr std::string_view kEmptyButtonTitle = "empty button title";
inline constexpr std::string_view kEmptyTextToType = "empty text to type";
inline constexpr std::string_view kEmptyDialogText = "empty dialog text";
inline constexpr std::string_view kEmptyPath = "empty path";
inline constexpr std::string_view kNoKey = "key needs a key";
inline constexpr std::string_view kUnknownKey = "unknown key '{}'";
inline constexpr std::string_view kNoKeyTypes = "no key types '{}'";
inline constexpr std::string_view kNotEnabledOrDisabled = "expected enabled or disabled, not '{}'";

// ------------------------------------------------------------ running a line

inline constexpr std::string_view kNoMenus = "menus are not available yet";
inline constexpr std::string_view kNoWindows = "windows are not available yet";
inline constexpr std::string_view kNoDialogs = "dialogs are not available yet";
inline constexpr std::string_view kNoAppleEvents = "Apple events are not available yet";

inline constexpr std::string_view kNoMenu = "no menu \"{}\" in the menu bar (menus: {})";
inline constexpr std::string_view kNoMenuItem = "no item \"{}\" in menu \"{}\"";
inline constexpr std::string_view kMenuDidNotOpen = "menu \"{}\" did not open";
inline constexpr std::string_view kItemDisabled = "item \"{}\" of menu \"{}\" is disabled";
inline constexpr std::string_view kItemEnabled = "item \"{}\" of menu \"{}\" is enabled";

inline constexpr std::string_view kOffScreen = "({}, {}) is outside the {}x{} screen";
inline constexpr std::string_view kNoWindow = "no window \"{}\" (windows: {})";
inline constexpr std::string_view kWindowOpen = "window \"{}\" is open";
inline constexpr std::string_view kNoWindowOpen = "no window is open";
inline constexpr std::string_view kFrontWindowIs = "the front window is \"{}\"";
inline constexpr std::string_view kWindowBounds = "window \"{}\" has bounds {} {} {} {}";

inline constexpr std::string_view kNoDialog = "no dialog is up";
inline constexpr std::string_view kButtonDisabled = "button \"{}\" is disabled";
inline constexpr std::string_view kNoButton = "no button \"{}\" in the dialog (buttons: {})";
inline constexpr std::string_view kDialogShows = "the dialog shows {}";
inline constexpr std::string_view kNoField = "the dialog has no edit field";
inline constexpr std::string_view kFieldHolds = "the field holds \"{}\"";

inline constexpr std::string_view kOpenDocumentsFailed = "odoc: {}";
inline constexpr std::string_view kScreenshotFailed = "screenshot {}: {}";
inline constexpr std::string_view kNoFile = "no file {}";

// Listing what was found instead (windows, menus, buttons, a dialog's texts).
inline constexpr std::string_view kNone = "none";
inline constexpr std::string_view kNoText = "(no text)";

// ------------------------------------------------------------ how a run ends

inline constexpr std::string_view kDidNotEnd = "the application did not end by itself within {} s";
inline constexpr std::string_view kEndedWithDialog = "the script ended with a dialog up: {}";
inline constexpr std::string_view kDialogAfterQuit = "a dialog came up after the quit request: {}";
inline constexpr std::string_view kDidNotQuit =
    "the application did not quit within {} s of the quit request at the end of the script";
inline constexpr std::string_view kEndedEarly = "the application ended before the script did";
inline constexpr std::string_view kTimedOut = "timed out after {} s";

// The template with each "{}" replaced by the next value; values are
// inserted as they are, never read as templates themselves.
inline std::string fill(std::string_view text, std::initializer_list<std::string_view> values) {
    std::string out;
    auto value = values.begin();
    size_t pos = 0;
    for (size_t mark; (mark = text.find("{}", pos)) != std::string_view::npos && value != values.end(); ++value) {
        out.append(text.substr(pos, mark - pos)).append(*value);
        pos = mark + 2;
    }
    out.append(text.substr(pos));
    return out;
}

}  // namespace platform::script::msg
