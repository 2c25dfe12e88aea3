#include "BridgeFixture.h"

#include <cstdio>
#include <fstream>
#include <sys/wait.h>

namespace {

// Runs the command through the shell with `input` on its standard input; returns its exit status.
int RunCommand(const std::string& arguments, const std::string& input = "") {
    const std::string command = std::string(QUILLETFIRE_COMMAND) + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "w");
    if (pipe == nullptr)
        return -1;
    std::fwrite(input.data(), 1, input.size(), pipe);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Output(const std::string& arguments) {
    const std::string command = std::string(QUILLETFIRE_COMMAND) + " " + arguments + " </dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    pclose(pipe);
    return output;
}

} // namespace

TEST_F(BridgeTest, CommandSendsArgumentsStandardInputOrFile) {
    LockHolder running(LockFile());
    TestListener listener;
    WritePortFile(std::to_string(listener.Port()));

    EXPECT_EQ(RunCommand("hello 'big  world'"), 0);
    EXPECT_EQ(listener.NextText(), "hello big  world");

    const std::string lines("first\nsecond\0third\n", 19);
    EXPECT_EQ(RunCommand("", lines), 0);
    EXPECT_EQ(listener.NextText(), lines);

    const std::string file = Root() + "/note.xml";
    const std::string document = "<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n</Quillet>\r\n";
    std::ofstream(file, std::ios::binary) << document;
    EXPECT_EQ(RunCommand("--file " + file), 0);
    EXPECT_EQ(listener.NextText(), document);
    EXPECT_EQ(RunCommand("--file=- ", "from stdin"), 0);
    EXPECT_EQ(listener.NextText(), "from stdin");

    // After -- an option-like word is text.
    EXPECT_EQ(RunCommand("-- --help"), 0);
    EXPECT_EQ(listener.NextText(), "--help");
}

TEST_F(BridgeTest, CommandExitStatus) {
    // Not running and nothing to start: SendToApp's S_FALSE.
    EXPECT_EQ(RunCommand("hello"), 1);

    TestListener listener;
    WritePortFile(std::to_string(listener.Port()));
    LockHolder running(LockFile());
    EXPECT_EQ(RunCommand("--bogus"), 2);
    EXPECT_EQ(RunCommand("--file"), 2);
    EXPECT_EQ(RunCommand("--file " + Root() + "/missing"), 2);
    EXPECT_EQ(RunCommand("--file " + PortFile() + " extra"), 2);
    EXPECT_EQ(listener.Accepted(), 0);

    EXPECT_EQ(Output("--version"), "quilletfire 1.0.0\n");
    EXPECT_EQ(Output("--help").rfind("Usage: quilletfire", 0), 0u);
    EXPECT_EQ(listener.Accepted(), 0);
}
