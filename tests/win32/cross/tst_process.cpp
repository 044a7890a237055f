// StartProcess: the child gets exactly the command line given, the caller's current directory and
// environment, and the start-up flags of a bar start.
#include "util/win32/files.h"
#include "util/win32/process.h"
#include "winhelp.h"

#include <vector>

namespace {

using kovalt::test::KeepCurrentDir;
using kovalt::test::TempFolder;
using namespace kovalt::win32;

struct ChildReport {
    std::wstring commandLine, cwd;
    unsigned long flags = 0, show = 0;
    std::wstring mark;
};

std::optional<ChildReport> ReadReport(const std::wstring& path) {
    const auto bytes = kovalt::test::ReadBytes(path);
    if (!bytes || bytes->size() < 2 || bytes->size() % 2) return std::nullopt;
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes->data()) + 1, bytes->size() / 2 - 1);
    std::vector<std::wstring> lines;
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (lines.size() != 5) return std::nullopt;
    return ChildReport{lines[0], lines[1], std::wcstoul(lines[2].c_str(), nullptr, 10),
                       std::wcstoul(lines[3].c_str(), nullptr, 10), lines[4]};
}

std::wstring Child() {
    return kovalt::test::ProgramFolder() + L"kovalt_childdump.exe";
}

// Sets a variable of this process for one test; the child inherits the whole environment.
class Variable {
public:
    Variable(const wchar_t* name, const std::wstring& value) : m_name(name) {
        SetEnvironmentVariableW(name, value.c_str());
    }
    ~Variable() { SetEnvironmentVariableW(m_name, nullptr); }

private:
    const wchar_t* m_name;
};

struct StartCase {
    const char* name;
    std::wstring arguments; // after the program
    bool quoted;            // the program's path in quotes
    bool hidden;
};

void PrintTo(const StartCase& c, std::ostream* os) {
    *os << c.name;
}

class ProcessStart : public ::testing::TestWithParam<StartCase> {};

TEST_P(ProcessStart, ChildGetsCommandLineFolderEnvironmentAndFlags) {
    const StartCase& c = GetParam();
    TempFolder folder(L"kovalt-start");
    // A folder name beyond ASCII: the current directory goes over as UTF-16 too.
    const std::wstring work = folder / L"Účetnictví 2024";
    ASSERT_TRUE(CreateDirectoryW(work.c_str(), nullptr)) << kovalt::test::LastErrorText();
    const std::wstring out = folder / L"report.txt";
    Variable outVar(L"KOVALT_CHILD_OUT", out);
    Variable mark(L"KOVALT_CHILD_MARK", L"značka-" + std::to_wstring(GetTickCount()));
    Variable exitVar(L"KOVALT_CHILD_EXIT", L"7");

    const std::wstring child = Child();
    ASSERT_EQ(child.find(L' '), std::wstring::npos) << "the unquoted case needs a path without blanks";
    const std::wstring commandLine = (c.quoted ? L"\"" + child + L"\"" : child) + c.arguments;

    KeepCurrentDir keep;
    ASSERT_TRUE(SetCurrentDir(work)) << kovalt::test::LastErrorText();
    const StartOutcome outcome = StartProcess(commandLine, c.hidden, true);
    ASSERT_TRUE(outcome.started) << kovalt::test::LastErrorText(outcome.error);
    EXPECT_EQ(outcome.exitCode, 7u);

    const auto report = ReadReport(out);
    ASSERT_TRUE(report) << "the child wrote no report";
    EXPECT_EQ(report->commandLine, commandLine);
    EXPECT_EQ(report->cwd, work);
    EXPECT_EQ(report->mark.substr(0, 7), L"značka-");
    wchar_t expectedMark[64];
    GetEnvironmentVariableW(L"KOVALT_CHILD_MARK", expectedMark, 64);
    EXPECT_EQ(report->mark, expectedMark);
    EXPECT_EQ(report->flags, kStartStartupFlags);
    EXPECT_EQ(report->flags, static_cast<unsigned long>(STARTF_USESHOWWINDOW | STARTF_FORCEONFEEDBACK));
    EXPECT_EQ(report->show, static_cast<unsigned long>(c.hidden ? SW_HIDE : SW_SHOWNORMAL));
}

INSTANTIATE_TEST_SUITE_P(
    Process, ProcessStart,
    ::testing::Values(StartCase{"ProgramOnly", L"", true, false},
                      // Blanks, quotes and backslashes are the child's to split: none is changed.
                      StartCase{"QuotesAndBlanks", LR"(  /V "a b"  c\"d e\\"  "")", true, false},
                      StartCase{"Unquoted", L" moduly.ini", false, false},
                      StartCase{"CzechHidden", L" \"Skladová evidence\" příliš žluťoučký kůň", true, true}),
    [](const ::testing::TestParamInfo<StartCase>& info) { return std::string(info.param.name); });

TEST(Process, WithoutWaitReturnsWhileTheChildRuns) {
    TempFolder folder(L"kovalt-nowait");
    const std::wstring out = folder / L"report.txt";
    const std::wstring go = folder / L"go";
    Variable outVar(L"KOVALT_CHILD_OUT", out);
    Variable goVar(L"KOVALT_CHILD_GO", go);

    const StartOutcome outcome = StartProcess(L"\"" + Child() + L"\" x", false, false);
    ASSERT_TRUE(outcome.started) << kovalt::test::LastErrorText(outcome.error);
    // The child waits for the go file, so a start that had waited would never have come back.
    EXPECT_EQ(GetFileAttributesW(out.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(kovalt::test::WriteBytes(go, "go"));
    int tenths = 200;
    while (GetFileAttributesW(out.c_str()) == INVALID_FILE_ATTRIBUTES && tenths-- > 0)
        Sleep(100);
    ASSERT_GE(tenths, 0) << "the child did not report within 20 s";
    const auto report = ReadReport(out);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->commandLine, L"\"" + Child() + L"\" x");
}

TEST(Process, MissingProgramIsNotStarted) {
    TempFolder folder(L"kovalt-missing");
    // Windows answers a missing folder with ERROR_PATH_NOT_FOUND, Wine with ERROR_FILE_NOT_FOUND.
    const struct {
        std::wstring commandLine;
        DWORD error, alsoError;
    } cases[] = {
        {L"\"" + (folder / L"nowhere.exe") + L"\" a", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {L"kovalt-no-such-program-anywhere", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {L"\"" + (folder / L"no folder\\x.exe") + L"\"", ERROR_PATH_NOT_FOUND, ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(kovalt::test::Utf8(c.commandLine));
        const StartOutcome outcome = StartProcess(c.commandLine, false, true);
        EXPECT_FALSE(outcome.started);
        EXPECT_TRUE(outcome.error == c.error || outcome.error == c.alsoError) << "error " << outcome.error;
    }
}

} // namespace
