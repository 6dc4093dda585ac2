#include "content_view.h"

#include "device_list_view.h"
#include "display_text.h"
#include "labels.h"
#include "launch_at_login_block.h"
#include "login_item_control.h"
#include "status_line.h"
#include "status_report.h"
#include "vontal_ids.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

namespace vontal {

namespace {

constexpr int kHeaderPadding = 6;
constexpr int kConnectedHeaderHeight = 24;
constexpr int kDiscoveredHeaderHeight = 20;

QLabel* makeHeader(const char* key, int topPadding, int height, QWidget* parent) {
    auto* header = new QLabel(labels::text(key), parent);
    header->setTextFormat(Qt::PlainText);
    QFont headline = header->font();
    headline.setBold(true);
    header->setFont(headline);
    header->setContentsMargins(kHeaderPadding, topPadding, kHeaderPadding, 0);
    header->setAlignment(Qt::AlignCenter);
    header->setFixedHeight(height);
    header->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    return header;
}

DeviceRow::Standing standing(PeripheralManager::DeviceState state) {
    const auto says = [](const char* words, const char* dot) {
        return DeviceRow::Standing{labels::text(words), labels::text(dot)};
    };
    switch (state) {
    case PeripheralManager::DeviceState::Connecting:
        return says(labels::kStateConnecting, labels::kLinkDown);
    case PeripheralManager::DeviceState::WaitingForPassword:
        return says(labels::kStateWaitingForPassword, labels::kDotWaiting);
    case PeripheralManager::DeviceState::PasswordRefused:
        return says(labels::kStatePasswordRefused, labels::kDotRefused);
    case PeripheralManager::DeviceState::Unlocked:
        return says(labels::kStateUnlocked, labels::kLinkUp);
    }
    return {};
}

} // namespace

ContentView::ContentView(PeripheralManager& manager, LoginItemService& loginItems,
                         Diagnostics& diagnostics, StatusReport* status, QWidget* parent)
    : QWidget(parent), manager_(manager), loginItems_(loginItems), diagnostics_(diagnostics),
      helperID_(kHelperIdentifier) {
    if (!status) {
        ownStatus_ = std::make_unique<StatusReport>(manager_, StatusSources{}, diagnostics_);
        status = ownStatus_.get();
    }
    status_ = status;
    statusLine_ = new StatusLine(*status_, this);
    setObjectName(QStringLiteral("contentView"));
    setMinimumSize(kMinimumWidth, kMinimumHeight);

    connectedHeader_ = makeHeader(labels::kConnected, kHeaderPadding, kConnectedHeaderHeight, this);
    connectedHeader_->setObjectName(QStringLiteral("connectedHeader"));
    connectedList_ = new DeviceListView(
        DeviceRow::Kind::Connected, [this](const PeripheralRef& p) { tapConnected(p); }, this);
    connectedList_->setObjectName(QStringLiteral("connectedList"));
    connectedList_->setAccessibleName(labels::text(labels::kConnected));
    discoveredHeader_ = makeHeader(labels::kDiscovered, 0, kDiscoveredHeaderHeight, this);
    discoveredHeader_->setObjectName(QStringLiteral("discoveredHeader"));
    discoveredList_ = new DeviceListView(
        DeviceRow::Kind::Discovered, [this](const PeripheralRef& p) { tapDiscovered(p); }, this);
    discoveredList_->setObjectName(QStringLiteral("discoveredList"));
    discoveredList_->setAccessibleName(labels::text(labels::kDiscovered));
    // The name comes from whatever application is in front: never markup, and its controls
    // are shown, not acted on.
    nowSending_ = new QLabel(this);
    nowSending_->setObjectName(QStringLiteral("nowSending"));
    nowSending_->setTextFormat(Qt::PlainText);
    nowSending_->setContentsMargins(kHeaderPadding, 0, kHeaderPadding, 0);
    nowSending_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    nowSending_->hide();
    launchAtLoginBlock_ = new LaunchAtLoginBlock([this] { launchAtLoginAppeared(); },
                                                 [this](bool on) { setLaunchAtLogin(on); }, this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // Above the lists, and shown only while something needs the user.
    layout->addWidget(statusLine_);
    layout->addWidget(nowSending_);
    layout->addWidget(connectedHeader_, 0, Qt::AlignLeft);
    layout->addWidget(connectedList_, 1);
    layout->addWidget(discoveredHeader_, 0, Qt::AlignLeft);
    layout->addWidget(discoveredList_, 1);
    layout->addWidget(launchAtLoginBlock_, 0, Qt::AlignLeft);

    // The signal fires before the lists change: reading them here would show the old state.
    changes_ = manager_.objectWillChange().subscribe([this] { scheduleRebuild(); });
    rebuild();
}

ContentView::~ContentView() = default;

void ContentView::setLaunchAtLogin(bool on) {
    if (on == launchAtLogin_)
        return;
    launchAtLogin_ = on;
    launchAtLoginBlock_->display(on);
    const auto error = updateLoginItem(on, helperID_, loginItems_, diagnostics_);
    const bool enabled = loginItemEnabled(helperID_, loginItems_);
    if (error)
        status_->loginItemFailed(on, error->description);
    else
        status_->loginItemApplied(on, enabled);
    // A failed call must not look like the user's choice took effect. Shown as is, not applied.
    launchAtLogin_ = enabled;
    launchAtLoginBlock_->display(enabled);
}

void ContentView::launchAtLoginAppeared() {
    setLaunchAtLogin(loginItemEnabled(helperID_, loginItems_));
}

void ContentView::scheduleRebuild() {
    if (rebuildScheduled_)
        return;
    rebuildScheduled_ = true;
    // Queued on this view, so a view closed meanwhile drops its rebuild.
    QMetaObject::invokeMethod(this, &ContentView::rebuild, Qt::QueuedConnection);
}

void ContentView::rebuild() {
    rebuildScheduled_ = false;
    ++buildCount_;
    const auto label = [this](const PeripheralRef& peripheral) {
        return QString::fromStdString(manager_.displayName(peripheral));
    };
    connectedList_->present(manager_.connectedPeripherals(), label,
                            [this](const PeripheralRef& peripheral) {
                                return standing(manager_.deviceState(peripheral));
                            });
    discoveredList_->present(manager_.discoveredPeripherals(), label);
    showNowSending();
    // Rows are made as devices come and go, so creation order is not reading order. Tab goes
    // down the connected rows, then the discovered ones, then to the toggle and round again.
    discoveredList_->chainFocus(connectedList_->chainFocus(launchAtLoginBlock_->toggle()));
}

void ContentView::showNowSending() {
    const std::string& name = manager_.lastSentName();
    const bool sending = manager_.anyUnlocked() && !name.empty();
    if (sending) {
        const QString text = labels::text(labels::kNowSending).arg(display::shown(name));
        nowSending_->setText(text);
        nowSending_->setAccessibleName(text);
    }
    nowSending_->setVisible(sending);
}

void ContentView::tapConnected(const PeripheralRef& peripheral) {
    // The state now decides, not the label drawn at the last rebuild.
    if (peripheral->state() == PeripheralState::Connected)
        manager_.disconnect(peripheral);
    else
        manager_.connect(peripheral);
}

void ContentView::tapDiscovered(const PeripheralRef& peripheral) {
    manager_.connect(peripheral);
}

} // namespace vontal
