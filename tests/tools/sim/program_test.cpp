// The service-sim program itself: started on port 0, it names its port, serves, and ends
// cleanly on SIGTERM; --dump writes one reply.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "browse_tree.h"
#include "tools/sim/markup_tree.h"
#include "tools/sim/running_simulator.h"

extern char** environ;

namespace zem::test {
namespace {

// The program on a pipe for its stdout; killed and reaped if the test ends early.
class Program {
  public:
    explicit Program(std::vector<std::string> args) {
        args.insert(args.begin(), SERVICE_SIM_PROGRAM);
        std::vector<char*> argv;
        for (std::string& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int pipeFds[2];
        if (pipe(pipeFds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(pipeFds[1]);
        out_ = fdopen(pipeFds[0], "r");
    }
    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (out_) fclose(out_);
    }

    std::string ReadLine() {
        char line[256] = {};
        return out_ && fgets(line, sizeof line, out_) ? line : "";
    }
    std::string ReadAll() {
        std::string text;
        char buffer[4096];
        std::size_t got = 0;
        while (out_ && (got = fread(buffer, 1, sizeof buffer, out_)) > 0) text.append(buffer, got);
        return text;
    }
    // The exit code, or -1 when it did not exit normally.
    int Wait() {
        int status = 0;
        if (pid_ <= 0 || waitpid(pid_, &status, 0) != pid_) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    void Signal(int signal) const { kill(pid_, signal); }

  private:
    pid_t pid_ = -1;
    FILE* out_ = nullptr;
};

TEST(Program, ServesOnTheAnnouncedPortAndEndsCleanlyOnSigterm) {
    Program program({"--port", "0", "--seed", "7"});
    const std::string line = program.ReadLine();
    ASSERT_EQ(line.rfind("listening on 127.0.0.1:", 0), 0u) << line;
    const int port = std::stoi(line.substr(line.rfind(':') + 1));
    ASSERT_GT(port, 0);

    const httplib::Result result =
        FetchThrough(port, ItemSearchUrl("ecs.amazonaws.com", "&SearchIndex=Books&Keywords=tea"));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(ParseMarkup(result->body).error, "");
    EXPECT_NE(result->body.find("<TotalResults>"), std::string::npos);

    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(), 0);
}

TEST(Program, DumpWritesOneReply) {
    struct Case {
        std::vector<std::string> args;
        const char* root;
    };
    const Case cases[] = {
        {{"--dump", "itemsearch", "--store", "jp", "--keywords", "tea", "--page", "1"},
         "ItemSearchResponse"},
        {{"--dump", "browsenode", "--store", "ca"}, "BrowseNodeLookupResponse"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.root);
        Program program(c.args);
        const MarkupDocument reply = ParseMarkup(program.ReadAll(), {"br"});
        EXPECT_EQ(program.Wait(), 0);
        EXPECT_EQ(reply.error, "");
        EXPECT_NE(reply.root->Child(c.root), nullptr);
    }
    // A result page is HTML of its time, beyond the tree reader of these tests.
    Program page({"--dump", "search", "--store", "uk", "--keywords", "tea"});
    const std::string html = page.ReadAll();
    EXPECT_EQ(page.Wait(), 0);
    EXPECT_TRUE(html.starts_with("<!doctype html><html>")) << html.substr(0, 100);
    EXPECT_TRUE(html.ends_with("</body></html>\n"));
    Program wrong({"--dump", "itemsearch", "--store", "xx"});
    EXPECT_EQ(wrong.ReadAll(), "");
    EXPECT_EQ(wrong.Wait(), 2);
}

TEST(Program, PlainTreesListEachNodeUnderItsOwnParentOnly) {
    // A node of the default trees whose reply lists more than its own children.
    const sim::BrowseTree tree(1, {});
    std::int64_t node = 0;
    std::size_t own = 0;
    for (std::int64_t id = sim::BrowseTree::kFirstChildId + 1; node == 0; ++id) {
        const std::optional<sim::BrowseNodeView> view = tree.Find(1, id);
        ASSERT_TRUE(view) << id;
        if (view->children.size() > view->ownChildren) {
            node = id;
            own = view->ownChildren;
        }
    }
    const auto listed = [&](std::vector<std::string> args) {
        args.insert(args.end(),
                    {"--dump", "browsenode", "--store", "us", "--node", std::to_string(node)});
        Program program(args);
        const MarkupDocument reply = ParseMarkup(program.ReadAll());
        EXPECT_EQ(program.Wait(), 0);
        return reply.root->Descendants("Children").empty()
                   ? 0u
                   : reply.root->Descendants("Children")[0]->Children("BrowseNode").size();
    };
    EXPECT_GT(listed({}), own);
    EXPECT_EQ(listed({"--plain-trees"}), own);
}

}  // namespace
}  // namespace zem::test
