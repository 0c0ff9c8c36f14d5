// dialog_app (a program with its own event loop that shows dialogs, alerts
// and file dialogs as the application's shell does) driven by headless
// scripts: modal filters, the default and cancel buttons, editable text,
// ParamText, the application's About box, warning and message dialog, the
// save dialog (offered name, replacing, typed paths, refusals), the open
// dialog and its filter, the save-changes question, and the script
// commands that look at dialogs.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/files/ChildProcess.h"

namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const std::string kApp = KINORA_BUILD_DIR "/tests/dialog_app";

// A folder with a little of everything: two folders, movies, others.
class DialogAppTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kinora-dapp-XXXXXX";
        dir = mkdtemp(pattern);
        chmod(dir.c_str(), 0755);
        fs::create_directories(dir / "work/Alpha");
        fs::create_directories(dir / "work/beta");
        for (const char* f : {"Movie.mov", "Clip.mov", "notes.txt", "picture.png", "Alpha/inner.mov"})
            std::ofstream(dir / "work" / f) << "data";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }

    Outcome run(const std::string& script, const std::string& env = "") {
        std::ofstream(dir / "s.kscript") << script;
        const int rc = std::system(command(env).c_str());
        return outcome(WIFEXITED(rc) ? WEXITSTATUS(rc) : -1);
    }
    std::string command(const std::string& env) const {
        return "cd '" + (dir / "work").string() + "' && env -u DISPLAY -u WAYLAND_DISPLAY " + env + " '" + kApp +
               "' --headless --script ../s.kscript > ../out.txt 2> ../err.txt";
    }
    Outcome outcome(int status) const { return Outcome{status, read_file(dir / "out.txt"), read_file(dir / "err.txt")}; }

    // Every expected line must appear in the output, in this order (as whole lines).
    static void expect_lines(const Outcome& r, const std::vector<std::string>& want) {
        std::istringstream in(r.out);
        std::string line;
        size_t i = 0;
        while (i < want.size() && std::getline(in, line))
            if (line == want[i]) ++i;
        EXPECT_EQ(i, want.size()) << "missing: " << (i < want.size() ? want[i] : "") << "\noutput:\n" << r.out << r.err;
    }
    static bool has_line(const Outcome& r, const std::string& want) {
        return ("\n" + r.out).find("\n" + want + "\n") != std::string::npos;
    }
    std::string work(const std::string& name) const { return (dir / "work" / name).string(); }

    fs::path dir;
};

}  // namespace

TEST_F(DialogAppTest, AModalDialogWithAFilterThatSeesNullAndUpdateEvents) {
    Outcome r = run("menu \"Dialogs\" \"Form\"\n"
                    "expect dialog\n"
                    "expect field \"Kinora\"\n"
                    "wait 100\n"
                    "drag 500 190 540 300\n"        // the title bar: Doc comes out from under it
                    "click 100 100\n"               // Doc, behind: a beep and nothing else
                    "key cmd+q\n"                   // a Command key: the filter sees it, nothing more
                    "type \"Kino\"\n"
                    "expect field \"Kino\"\n"
                    "key return\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"user item handle kept", "draw user item 7", "filter mouse-down", "filter update Doc",
                     "filter mouse-down", "filter key 113", "filter key 75", "item 4", "filter key 13", "item 1",
                     "form name=Kino folder= nulls=some beeps=1"});
    EXPECT_FALSE(has_line(r, "item 0"));
}

TEST_F(DialogAppTest, EditableTextTypingSelectionAndTab) {
    Outcome r = run("menu \"Dialogs\" \"Form\"\n"
                    "type \"Hello world\"\n"
                    "key shift+left\n"
                    "key shift+left\n"
                    "key delete\n"              // the selection goes
                    "expect field \"Hello wor\"\n"
                    "key left\n"
                    "key left\n"
                    "type \"X\"\n"
                    "expect field \"Hello wXor\"\n"
                    "key tab\n"
                    "type \"/tmp\"\n"
                    "expect field \"/tmp\"\n"
                    "key shift+tab\n"           // back: all of the first field selected
                    "type \"new\"\n"
                    "expect field \"new\"\n"
                    "key escape\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"item 2", "form name=new folder=/tmp nulls=none beeps=0"});
}

TEST_F(DialogAppTest, ReturnHitsTheDefaultButtonAndEscapeTheCancelButton) {
    Outcome r = run("menu \"Dialogs\" \"Form\"\n"
                    "key enter\n"
                    "menu \"Dialogs\" \"Form\"\n"
                    "key escape\n"
                    "menu \"Dialogs\" \"Form\"\n"
                    "key cmd+.\n"
                    "menu \"Dialogs\" \"Form\"\n"
                    "button \"OK\"\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"item 1", "item 2", "item 2", "item 1"});
}

TEST_F(DialogAppTest, AnAlertWithItsParametersAndANullOne) {
    Outcome r = run("menu \"Dialogs\" \"Alert\"\n"
                    "expect dialog \"Zero / One /  / Three\"\n"
                    "key return\n"
                    "menu \"Dialogs\" \"Alert\"\n"
                    "button \"Cancel\"\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"alert item 1", "alert item 2"});
}

TEST_F(DialogAppTest, TheApplicationsAboutBoxWarningAndMessageDialog) {
    Outcome r = run("menu \"Dialogs\" \"About Kinora\"\n"
                    "expect dialog \"Kinora 1.0\"\n"
                    "expect bounds \"About Kinora\" 302 230 722 380\n"
                    "drag 400 220 300 320\n"      // by its title bar
                    "expect bounds \"About Kinora\" 202 330 622 480\n"
                    "key return\n"
                    "menu \"Dialogs\" \"Warning\"\n"
                    "expect dialog \"Warning!\"\n"
                    "expect dialog \"Could not initialize QuickTime. Exiting. -108\"\n"
                    "button \"OK\"\n"
                    "menu \"Dialogs\" \"Message\"\n"
                    "expect dialog \"InsertMediaIntoTrack error\"\n"
                    "expect window \"Kinora\"\n"
                    "drag 400 240 400 140\n"      // the message dialog moves too
                    "expect bounds \"Kinora\" 302 150 722 290\n"
                    "key return\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"about item 0", "about item 1", "warning item 1", "message item 1"});
}

TEST_F(DialogAppTest, TheSaveDialogOffersTheNameAndSavesWithReturn) {
    Outcome r = run("menu \"Files\" \"Save\"\n"
                    "expect dialog \"Enter the movie file name:\"\n"
                    "expect dialog \"In: " + (dir / "work").string() + "\"\n"
                    "expect field \"MovieFile.mov\"\n"
                    "key return\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"put err=0 valid=1 replacing=0 path=" + work("MovieFile.mov") + " nulls=none"});
    EXPECT_FALSE(fs::exists(dir / "work/MovieFile.mov")) << "the dialog creates no file";
}

TEST_F(DialogAppTest, AnExistingFileIsReplacedOnlyAfterConfirmation) {
    Outcome r = run("menu \"Files\" \"Save\"\n"
                    "type \"Movie.mov\"\n"
                    "key return\n"
                    "expect dialog \"\xE2\x80\x9CMovie.mov\xE2\x80\x9D already exists. Do you want to replace it?\"\n"
                    "key return\n"                // the default answer is Cancel
                    "expect dialog \"Enter the movie file name:\"\n"
                    "expect field \"Movie.mov\"\n"
                    "key return\n"
                    "key escape\n"
                    "key return\n"
                    "button \"Replace\"\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"put err=0 valid=1 replacing=1 path=" + work("Movie.mov") + " nulls=none"});
    EXPECT_EQ(read_file(dir / "work/Movie.mov"), "data") << "the dialog deletes nothing";
}

TEST_F(DialogAppTest, TypedPathsAndRefusedNames) {
    const std::string longName = std::string(70, 'L') + ".mov";
    Outcome r = run("menu \"Files\" \"Save\"\n"
                    "type \"beta\"\n"
                    "key return\n"
                    "expect dialog \"\xE2\x80\x9C" "beta\xE2\x80\x9D is a folder\"\n"
                    "type \"nowhere/x.mov\"\n"      // the refused text is selected: typing replaces it
                    "key return\n"
                    "expect dialog \"There is no folder\"\n"
                    "type \"Alpha/\"\n"             // a folder: the dialog goes there and offers the name again
                    "key return\n"
                    "expect dialog \"In: " + work("Alpha") + "\"\n"
                    "expect dialog \"inner.mov\"\n"
                    "expect field \"MovieFile.mov\"\n"
                    "type \"../beta/new.mov\"\n"    // a path to a new file in another folder
                    "key return\n"
                    "menu \"Files\" \"Save\"\n"     // the dialog remembers the last folder
                    "expect dialog \"In: " + work("beta") + "\"\n"
                    "type \"" + dir.string() + "/work/" + longName + "\"\n"
                    "key return\n"
                    "menu \"Files\" \"Save\"\n"
                    "button \"Up\"\n"
                    "expect dialog \"In: " + dir.string() + "\"\n"
                    "expect dialog \"work\"\n"
                    "button \"Cancel\"\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"put err=0 valid=1 replacing=0 path=" + work("beta/new.mov") + " nulls=none",
                     "put err=0 valid=1 replacing=0 path=" + work(longName) + " nulls=none",
                     "put err=0 valid=0 replacing=0 path=(none) nulls=none"});
}

TEST_F(DialogAppTest, AFolderThatCannotBeWrittenToIsRefused) {
    // A read-only bind mount stops root too; it needs a mount namespace of its own.
    fs::create_directories(dir / "work/locked");
    std::ofstream(dir / "s.kscript") << "menu \"Files\" \"Save\"\n"
                                        "type \"locked/x.mov\"\n"
                                        "key return\n"
                                        "expect dialog \"you do not have permission to write there\"\n"
                                        "type \"x.mov\"\n"
                                        "key return\n";
    const std::string locked = (dir / "work/locked").string(), cmd = command("");
    const int code = run_in_child([&] {
        if (!private_mounts() || mount(locked.c_str(), locked.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            mount(nullptr, locked.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            return kChildCannotRun;
        const int rc = std::system(cmd.c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : 99;
    });
    if (code == kChildCannotRun) GTEST_SKIP() << "cannot make a read-only bind mount here";
    Outcome r = outcome(code);
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"put err=0 valid=1 replacing=0 path=" + work("x.mov") + " nulls=none"});
}

TEST_F(DialogAppTest, TheOpenDialogShowsWhatTheFilterAdmits) {
    Outcome r = run("menu \"Files\" \"Open\"\n"
                    "expect dialog \"Alpha\"\n"            // folders always
                    "expect dialog \"Movie.mov\"\n"
                    "type \"notes.txt\"\n"                 // there, but not shown
                    "key return\n"
                    "expect dialog \"There is no item called \xE2\x80\x9Cnotes.txt\xE2\x80\x9D here.\"\n"
                    "type \"./notes.txt\"\n"
                    "key return\n"
                    "expect dialog \"Kinora cannot open \xE2\x80\x9Cnotes.txt\xE2\x80\x9D.\"\n"
                    "type \"cl\"\n"                        // selects Clip.mov
                    "key return\n"
                    "menu \"Files\" \"Open\"\n"
                    "click \"Kinora\" 100 84\n"            // the first row, Alpha: a double-click goes in
                    "click \"Kinora\" 100 84\n"
                    "expect dialog \"inner.mov\"\n"
                    "key down\n"
                    "expect field \"inner.mov\"\n"
                    "key return\n"
                    "menu \"Files\" \"Open Movies\"\n"     // a type list instead of a filter
                    "type \"" + work("picture.png") + "\"\n"
                    "key return\n"
                    "expect dialog \"cannot open\"\n"
                    "key escape\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"get err=0 valid=1 replacing=0 path=" + work("Clip.mov") + " nulls=none",
                     "get err=0 valid=1 replacing=0 path=" + work("Alpha/inner.mov") + " nulls=none",
                     "get err=0 valid=0 replacing=0 path=(none) nulls=none"});
}

TEST_F(DialogAppTest, TheEventCallbackGetsNullAndUpdateEvents) {
    Outcome r = run("menu \"Files\" \"Save\"\n"
                    "wait 100\n"
                    "drag 510 151 560 351\n"       // the dialog's title bar: Doc shows again under it
                    "key escape\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"nav update Doc", "put err=0 valid=0 replacing=0 path=(none) nulls=some"});
}

TEST_F(DialogAppTest, TheSaveChangesQuestionWithEachAnswer) {
    Outcome r = run("menu \"Files\" \"Close Changed\"\n"
                    "expect window \"Kinora\"\n"
                    "expect dialog \"Do you want to save the changes you made to the document \xE2\x80\x9Cuntitled.mov\xE2\x80\x9D?\"\n"
                    "key return\n"
                    "menu \"Files\" \"Close Changed\"\n"
                    "button \"Don't Save\"\n"
                    "menu \"Files\" \"Quit Changed\"\n"
                    "expect dialog \"\xE2\x80\x9Cuntitled.mov\xE2\x80\x9D before quitting Kinora?\"\n"
                    "key escape\n"
                    "menu \"Files\" \"Quit Changed\"\n"
                    "button \"Cancel\"\n"
                    "menu \"Files\" \"Quit Changed\"\n"
                    "key cmd+d\n");
    EXPECT_EQ(r.status, 0) << r.err;
    expect_lines(r, {"ask err=0 answer=1 nulls=none", "ask err=0 answer=3 nulls=none", "ask err=0 answer=2 nulls=none",
                     "ask err=0 answer=2 nulls=none", "ask err=0 answer=3 nulls=none"});
}

TEST_F(DialogAppTest, ScriptLinesAboutDialogsFailWithTheReason) {
    struct Case {
        std::string script;
        std::string err;
    };
    const Case cases[] = {
        {"expect dialog\n", "script:1: no dialog is up\n"},
        {"button \"OK\"\n", "script:1: no dialog is up\n"},
        {"menu \"Dialogs\" \"Alert\"\nbutton \"Maybe\"\n",
         "script:2: no button \"Maybe\" in the dialog (buttons: \"OK\", \"Cancel\")\n"},
        {"menu \"Dialogs\" \"Alert\"\nexpect dialog \"Four\"\n", "script:2: the dialog shows \"Zero / One /  / Three\"\n"},
        {"menu \"Dialogs\" \"Alert\"\nexpect field \"x\"\n", "script:2: the dialog has no edit field\n"},
        {"menu \"Dialogs\" \"Form\"\nexpect field \"x\"\n", "script:2: the field holds \"Kinora\"\n"},
        {"menu \"Dialogs\" \"Form\"\n", "script:1: the script ended with a dialog up: \"Name: / Folder:\"\n"},
    };
    for (const Case& c : cases) {
        Outcome r = run(c.script);
        EXPECT_EQ(r.status, 1) << c.script << r.out;
        EXPECT_EQ(r.err, c.err) << c.script;
    }
}
