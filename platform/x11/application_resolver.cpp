#include "platform/x11/application_resolver.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace vontal {

namespace {

// Dialogs of dialogs exist; a cycle of WM_TRANSIENT_FOR hints must not hang us.
constexpr int kMaxTransientDepth = 8;

std::string asciiLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    return text;
}

std::string withDesktopSuffix(const std::string& id) {
    constexpr std::string_view suffix = ".desktop";
    if (id.size() >= suffix.size() &&
        id.compare(id.size() - suffix.size(), suffix.size(), suffix) == 0)
        return id;
    return id + std::string(suffix);
}

// A window that says nothing about its program: no class, no toolkit hint, no process. Qt makes
// a dialog without a parent transient for such a window (its hidden group leader), so following
// the hint there would lose the dialog's application rather than find it.
bool saysWhoItIs(const WindowFacts& facts) {
    return facts.instanceName || facts.className || facts.gtkApplicationId ||
           facts.kdeDesktopFile || facts.pid;
}

std::string windowIdentity(WindowId window) {
    char text[32];
    std::snprintf(text, sizeof text, "x11-window:0x%x", static_cast<unsigned>(window));
    return text;
}

} // namespace

ApplicationResolver::ApplicationResolver(ApplicationCatalog& catalog,
                                         ExecutableOfPid executableOfPid, std::string localHostName,
                                         WindowId rootWindow)
    : catalog_(catalog), executableOfPid_(std::move(executableOfPid)),
      localHostName_(std::move(localHostName)), rootWindow_(rootWindow) {}

std::optional<ResolvedApplication> ApplicationResolver::resolve(WindowInspector& inspector,
                                                                WindowId window) {
    auto facts = inspector.facts(window);
    if (!facts)
        return std::nullopt;

    for (int depth = 0; depth < kMaxTransientDepth; ++depth) {
        const auto parent = facts->transientFor;
        // GTK marks dialogs that belong to the whole window group as transient for the root.
        if (!parent || *parent == 0 || *parent == rootWindow_ || *parent == window)
            break;
        auto parentFacts = inspector.facts(*parent);
        if (!parentFacts || !saysWhoItIs(*parentFacts))
            break;
        window = *parent;
        facts = std::move(parentFacts);
    }

    auto entry = entryFor(*facts);
    if (!entry && facts->clientLeader && *facts->clientLeader != window) {
        if (auto leaderFacts = inspector.facts(*facts->clientLeader))
            entry = entryFor(*leaderFacts);
    }
    if (entry)
        return ResolvedApplication{entry->desktopId, entry->localizedName};
    // Without an entry the application goes by the name window managers show for it: its
    // class, else its instance. A window without WM_CLASS still belongs to a program, which is
    // then known by its executable's name.
    if (facts->className)
        return ResolvedApplication{"wm-class:" + *facts->className, facts->className};
    if (facts->instanceName)
        return ResolvedApplication{"wm-instance:" + *facts->instanceName, facts->instanceName};
    if (auto program = localProgram(*facts))
        return ResolvedApplication{"pid:" + std::to_string(*facts->pid), std::move(program)};
    return ResolvedApplication{windowIdentity(window), std::nullopt};
}

std::optional<CatalogEntry> ApplicationResolver::entryFor(const WindowFacts& facts) {
    if (facts.instanceName) {
        if (auto entry = catalog_.byStartupWmClass(*facts.instanceName))
            return entry;
    }
    if (facts.className) {
        if (auto entry = catalog_.byStartupWmClass(*facts.className))
            return entry;
        if (auto entry = catalog_.byDesktopId(asciiLower(*facts.className) + ".desktop"))
            return entry;
    }
    if (facts.gtkApplicationId) {
        if (auto entry = catalog_.byDesktopId(withDesktopSuffix(*facts.gtkApplicationId)))
            return entry;
    }
    if (facts.kdeDesktopFile) {
        if (auto entry = catalog_.byDesktopId(withDesktopSuffix(*facts.kdeDesktopFile)))
            return entry;
    }
    return entryForProcess(facts);
}

std::optional<std::string> ApplicationResolver::localProgram(const WindowFacts& facts) {
    if (!facts.pid || *facts.pid == 0 || !executableOfPid_)
        return std::nullopt;
    // A pid only means something on the host that owns it; X clients may run elsewhere.
    if (facts.clientMachine && *facts.clientMachine != localHostName_)
        return std::nullopt;
    const auto executable = executableOfPid_(*facts.pid);
    if (!executable)
        return std::nullopt;
    std::string program = std::filesystem::path(*executable).filename().string();
    if (program.empty())
        return std::nullopt;
    return program;
}

std::optional<CatalogEntry> ApplicationResolver::entryForProcess(const WindowFacts& facts) {
    const auto program = localProgram(facts);
    if (!program || isInterpreter(*program))
        return std::nullopt;
    return catalog_.byExecutable(*program);
}

std::optional<std::string> ApplicationResolver::executableFromProc(std::uint32_t pid) {
    std::error_code error;
    auto target = std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    if (error)
        return std::nullopt;
    std::string path = target.string();
    // The kernel marks an executable replaced on disk (an upgrade while it runs).
    constexpr std::string_view deleted = " (deleted)";
    if (path.size() > deleted.size() &&
        path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
        path.resize(path.size() - deleted.size());
    return path;
}

} // namespace vontal
