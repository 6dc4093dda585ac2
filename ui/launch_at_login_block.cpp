#include "launch_at_login_block.h"

#include "labels.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QShowEvent>
#include <QSignalBlocker>

namespace vontal {

LaunchAtLoginBlock::LaunchAtLoginBlock(std::function<void()> appeared,
                                       std::function<void(bool)> flipped, QWidget* parent)
    : QWidget(parent), appeared_(std::move(appeared)) {
    setObjectName(QStringLiteral("launchAtLoginBlock"));
    toggle_ = new QCheckBox(labels::text(labels::kLaunchOnLogin), this);
    toggle_->setObjectName(QStringLiteral("launchAtLogin"));
    toggle_->setAccessibleName(labels::text(labels::kLaunchOnLogin));
    connect(toggle_, &QCheckBox::toggled, this,
            [flipped = std::move(flipped)](bool on) { flipped(on); });

    auto* form = new QFormLayout(this);
    form->setContentsMargins(kHorizontalPadding, 0, kHorizontalPadding, kToggleBottomPadding);
    form->addRow(toggle_);
    toggle_->setFixedHeight(kRowHeight);
    setFixedHeight(kRowHeight + kToggleBottomPadding);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void LaunchAtLoginBlock::display(bool on) {
    const QSignalBlocker quiet(toggle_);
    toggle_->setChecked(on);
}

void LaunchAtLoginBlock::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Restoring a minimised window is a spontaneous show; the block did not appear anew.
    if (!event->spontaneous())
        appeared_();
}

} // namespace vontal
