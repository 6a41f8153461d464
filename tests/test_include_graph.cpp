// No include leads round in a circle. A node of the graph is a source file together
// with its header (x.cpp with x.h), so a circle is two pieces of code that each
// need the other, whichever of their files the includes stand in. Each circle is
// reported with the include line behind every step of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <queue>
#include <set>
#include <string>
#include <vector>

#include "support/include_scan.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kSourceDirs = {"platform", "shell", "scene", "render", "input", "sound", "game", "demo"};

using Circle = std::vector<std::string>;  // its nodes in order; the last leads back to the first

class IncludeGraph {
public:
    // where: the include line that makes the edge, "file:line"; the first one given
    // for an edge is kept. A node's edge to itself is no circle and is left out.
    void Add(const std::string& from, const std::string& to, const std::string& where) {
        edges_[to];
        if (from != to) edges_[from].emplace(to, where);
    }

    size_t EdgeCount() const {
        size_t n = 0;
        for (const auto& [node, targets] : edges_) n += targets.size();
        return n;
    }

    // One circle for every group of nodes that all reach one another (a group of
    // several circles is named by one: breaking it may leave another to report).
    std::vector<Circle> Circles() const {
        std::vector<Circle> circles;
        for (const std::set<std::string>& group : Groups())
            if (group.size() > 1) circles.push_back(ShortestCircleThrough(*group.begin(), group));
        return circles;
    }

    // "a -> b -> a (a.cpp:3, b.cpp:5)"
    std::string Describe(const Circle& circle) const {
        std::string path, lines;
        for (size_t i = 0; i < circle.size(); ++i) {
            const std::string& next = circle[(i + 1) % circle.size()];
            path += circle[i] + " -> ";
            lines += (i ? ", " : "") + edges_.at(circle[i]).at(next);
        }
        return path + circle.front() + " (" + lines + ")";
    }

private:
    // Tarjan's strongly connected components, each as the set of its nodes.
    std::vector<std::set<std::string>> Groups() const {
        std::map<std::string, int> index, low;
        std::vector<std::string> stack;
        std::set<std::string> onStack;
        std::vector<std::set<std::string>> groups;
        std::function<void(const std::string&)> visit = [&](const std::string& v) {
            index[v] = low[v] = int(index.size());
            stack.push_back(v);
            onStack.insert(v);
            for (const auto& [w, where] : edges_.at(v)) {
                if (!index.count(w)) {
                    visit(w);
                    low[v] = std::min(low[v], low[w]);
                } else if (onStack.count(w)) {
                    low[v] = std::min(low[v], index[w]);
                }
            }
            if (low[v] != index[v]) return;
            std::set<std::string>& group = groups.emplace_back();
            std::string w;
            do {
                w = stack.back();
                stack.pop_back();
                onStack.erase(w);
                group.insert(w);
            } while (w != v);
        };
        for (const auto& [node, targets] : edges_)
            if (!index.count(node)) visit(node);
        return groups;
    }

    // Breadth first from start, within its group, back to start.
    Circle ShortestCircleThrough(const std::string& start, const std::set<std::string>& group) const {
        std::map<std::string, std::string> cameFrom;
        std::queue<std::string> queue;
        queue.push(start);
        while (!queue.empty()) {
            std::string v = queue.front();
            queue.pop();
            for (const auto& [w, where] : edges_.at(v)) {
                if (!group.count(w) || cameFrom.count(w)) continue;
                cameFrom[w] = v;
                if (w == start) {
                    Circle circle;
                    for (std::string n = cameFrom[start]; n != start; n = cameFrom[n]) circle.push_back(n);
                    circle.push_back(start);
                    std::reverse(circle.begin(), circle.end());
                    return circle;
                }
                queue.push(w);
            }
        }
        return {start};  // unreachable for a group of several nodes
    }

    std::map<std::string, std::map<std::string, std::string>> edges_;
};

std::string NodeOf(const std::string& file) {
    fs::path p(file);
    return (p.parent_path() / p.stem()).generic_string();
}

IncludeGraph ReadGraph(const fs::path& root, const std::vector<std::string>& dirs, int* files = nullptr) {
    IncludeGraph graph;
    std::vector<std::string> sources = ListSourceFiles(root, dirs);
    if (files) *files = int(sources.size());
    for (const std::string& file : sources)
        for (const IncludeDirective& d : ReadIncludes(root, file))
            if (!d.target.empty()) graph.Add(NodeOf(file), NodeOf(d.target), file + ":" + std::to_string(d.line));
    return graph;
}

TEST(IncludeGraph, TheSourceTreeHasNoCircle) {
    int files = 0;
    IncludeGraph graph = ReadGraph(NOL_SOURCE_DIR, kSourceDirs, &files);
    // A wrong root would find nothing and prove nothing.
    ASSERT_GT(files, 100) << "source tree not found at " << NOL_SOURCE_DIR;
    ASSERT_GT(graph.EdgeCount(), 300u);
    for (const Circle& circle : graph.Circles()) ADD_FAILURE() << "include circle: " << graph.Describe(circle);
}

TEST(IncludeCircles, EachGroupThatLeadsRoundIsNamedByItsShortestCircle) {
    IncludeGraph graph;
    graph.Add("a", "b", "a.cpp:1");
    graph.Add("b", "c", "b.cpp:1");
    graph.Add("c", "a", "c.cpp:1");
    graph.Add("b", "d", "b.cpp:2");  // a way out and a way in: no part of the circle
    graph.Add("e", "a", "e.cpp:1");
    graph.Add("a", "c", "a.h:4");    // a shortcut: a -> c -> a is the shorter circle
    graph.Add("f", "g", "f.h:1");
    graph.Add("g", "f", "g.cpp:7");
    graph.Add("h", "h", "h.cpp:2");  // x.cpp including x.h
    std::vector<Circle> circles = graph.Circles();
    ASSERT_EQ(circles.size(), 2u);
    std::sort(circles.begin(), circles.end());
    EXPECT_EQ(graph.Describe(circles[0]), "a -> c -> a (a.h:4, c.cpp:1)");
    EXPECT_EQ(graph.Describe(circles[1]), "f -> g -> f (f.h:1, g.cpp:7)");
}

TEST(IncludeCircles, PathsThatMeetAgainWithoutLeadingBackAreNoCircle) {
    IncludeGraph graph;
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"top", "left"}, {"top", "right"}, {"left", "base"}, {"right", "base"}, {"top", "base"}, {"right", "left"}})
        graph.Add(from, to, from + ".cpp:1");
    EXPECT_TRUE(graph.Circles().empty());
}

// Neither header includes the other, yet each source file needs the other's header.
TEST(IncludeCircles, ASourceFileAndItsHeaderAreOneNode) {
    TempDir dir;
    auto write = [&](const std::string& rel, const std::string& text) {
        fs::create_directories((fs::path(dir.path) / rel).parent_path());
        std::ofstream(fs::path(dir.path) / rel) << text;
    };
    write("render/frame.h", "#pragma once\n");
    write("render/frame.cpp", "#include \"render/frame.h\"\n#include \"target.h\"\n");
    write("render/target.h", "#pragma once\n#include <vector>\n");
    write("render/target.cpp", "/*\n#include \"render/frame.h\"\n*/\n#include \"render/target.h\"\n#include \"frame.h\"\n");
    write("shell/log.h", "#pragma once\n");
    write("shell/log.cpp", "#include \"shell/log.h\"\n#include \"../render/frame.h\"\n");

    IncludeGraph graph = ReadGraph(dir.path, kSourceDirs);
    EXPECT_EQ(graph.EdgeCount(), 3u);
    std::vector<Circle> circles = graph.Circles();
    ASSERT_EQ(circles.size(), 1u);
    EXPECT_EQ(graph.Describe(circles[0]),
              "render/frame -> render/target -> render/frame (render/frame.cpp:2, render/target.cpp:5)");
}

}  // namespace
