#include "platform/kde/kde_workspace.h"

#include "platform/frontmost/bus_name_claim.h"
#include "platform/kde/kwin_script.h"

namespace vontal {

struct KdeWorkspace::Impl {
    Impl(std::unique_ptr<BusReportedWorkspace> reported, KwinScript script,
         Diagnostics& diagnostics)
        : reported(std::move(reported)), script(std::move(script)), diagnostics(diagnostics) {}

    ~Impl() {
        if (loaded && !reported->reporterOwner().isEmpty())
            script.unload();
    }

    bool load(std::string& whyNot) {
        // The new script reports what is in front as it starts: where we start, no activation.
        if (!script.load(whyNot))
            return false;
        loaded = true;
        ++loads;
        return true;
    }

    void kwinChanged(const QString& owner) {
        if (owner.isEmpty()) {
            loaded = false;
            return; // KWin quit; its scripts went with it.
        }
        // The script reports to whoever holds vontal's name as it starts: not before it is ours.
        if (!reported->nameClaim()->owned())
            return;
        std::string whyNot;
        if (!load(whyNot))
            diagnostics.line("KWin restarted and did not load vontal's script again (" + whyNot +
                             "): application activations are no longer observed");
    }

    // vontal's name is free at last: a script started now reports to vontal, starting with what
    // is in front.
    void nameAcquired() {
        if (reported->reporterOwner().isEmpty())
            return;
        std::string whyNot;
        if (!load(whyNot))
            diagnostics.line("KWin did not load vontal's script (" + whyNot +
                             "): application activations are not observed");
    }

    std::unique_ptr<BusReportedWorkspace> reported;
    KwinScript script;
    Diagnostics& diagnostics;
    unsigned loads = 0;
    bool loaded = false;
};

std::unique_ptr<KdeWorkspace> KdeWorkspace::connect(Setup setup, Diagnostics& diagnostics,
                                                    std::string& whyNot) {
    const QString kwin = QString::fromLatin1(kKwinName);
    if (!BusReportedWorkspace::reporterRuns(setup.bus, kwin, "KWin", whyNot))
        return nullptr;
    const QString file = setup.script.isEmpty() ? findKwinScript() : setup.script;
    if (file.isEmpty()) {
        whyNot = std::string("vontal's KWin script (") + kKwinScriptPath + ") is not installed";
        return nullptr;
    }
    const QDBusConnection bus = setup.bus;
    auto reported = BusReportedWorkspace::create(
        {bus, kwin, std::move(setup.catalog), std::move(setup.timers)}, diagnostics, whyNot);
    if (!reported)
        return nullptr;
    auto impl = std::make_unique<Impl>(std::move(reported), KwinScript(bus, file), diagnostics);
    // While another process holds vontal's name the script waits: it would report to that one.
    const auto& claim = impl->reported->nameClaim();
    if (claim->owned() && !impl->load(whyNot)) {
        impl->script.unload();
        return nullptr;
    }
    impl->reported->onReporterChanged(
        [raw = impl.get()](const QString& owner) { raw->kwinChanged(owner); });
    QObject::connect(claim.get(), &BusNameClaim::acquired, claim.get(),
                     [raw = impl.get()] { raw->nameAcquired(); });
    return std::unique_ptr<KdeWorkspace>(new KdeWorkspace(std::move(impl)));
}

KdeWorkspace::KdeWorkspace(std::unique_ptr<Impl> impl)
    : FrontmostWorkspace(impl->reported->engine()), impl_(std::move(impl)) {}

KdeWorkspace::~KdeWorkspace() = default;

const std::shared_ptr<BusNameClaim>& KdeWorkspace::nameClaim() const {
    return impl_->reported->nameClaim();
}

unsigned KdeWorkspace::scriptLoads() const {
    return impl_->loads;
}

} // namespace vontal
