#include "device_list_view.h"

#include <QEvent>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <unordered_map>

namespace vontal {

DeviceListView::DeviceListView(DeviceRow::Kind kind, DeviceRow::Tap tap, QWidget* parent)
    : QScrollArea(parent), kind_(kind), tap_(std::move(tap)) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab goes from row button to row button (the list scrolls to the focused one); the list
    // itself holds nothing to act on.
    setFocusPolicy(Qt::NoFocus);
    setWidgetResizable(false);
    canvas_ = new QWidget;
    canvas_->setObjectName(QStringLiteral("rows"));
    setWidget(canvas_);
}

void DeviceListView::present(const std::vector<PeripheralRef>& peripherals, const Labeler& label,
                             const Stander& state) {
    // The usual change keeps every shown row where it is and adds rows at the end (a discovery,
    // a connection); it needs no reordering and touches only the new rows' geometry.
    std::size_t kept = 0;
    while (kept < rows_.size() && kept < peripherals.size() &&
           rows_[kept]->peripheral() == peripherals[kept])
        ++kept;
    if (kept == rows_.size())
        append(peripherals, label, state);
    else
        rearrange(peripherals, label, state);
}

void DeviceListView::append(const std::vector<PeripheralRef>& peripherals, const Labeler& label,
                            const Stander& state) {
    const std::size_t shown = rows_.size();
    // Rows are keyed by identifier and occurrence, so a peripheral listed twice has two rows.
    std::unordered_map<BluetoothUuid, int> occurrences;
    for (std::size_t index = 0; index < shown; ++index) {
        ++occurrences[peripherals[index]->identifier()];
        rows_[index]->present(peripherals[index], label(peripherals[index]),
                              state ? state(peripherals[index]) : DeviceRow::Standing{});
    }

    int tallest = rowHeight_;
    for (std::size_t index = shown; index < peripherals.size(); ++index) {
        const PeripheralRef& peripheral = peripherals[index];
        const BluetoothUuid identifier = peripheral->identifier();
        auto* row = new DeviceRow(kind_, tap_, canvas_);
        row->present(peripheral, label(peripheral),
                     state ? state(peripheral) : DeviceRow::Standing{});
        tallest = std::max(tallest, row->sizeHint().height());
        row->show();
        rows_.push_back(row);
        rowsByKey_.emplace(Key{identifier, occurrences[identifier]++}, row);
    }
    settle(shown, tallest);
}

void DeviceListView::rearrange(const std::vector<PeripheralRef>& peripherals, const Labeler& label,
                               const Stander& state) {
    std::vector<DeviceRow*> rows;
    rows.reserve(peripherals.size());
    std::map<Key, DeviceRow*> rowsByKey;
    std::unordered_map<BluetoothUuid, int> occurrences;
    int tallest = rowHeight_;

    for (const PeripheralRef& peripheral : peripherals) {
        const BluetoothUuid identifier = peripheral->identifier();
        const Key key{identifier, occurrences[identifier]++};
        DeviceRow* row = nullptr;
        bool created = false;
        if (auto kept = rowsByKey_.find(key); kept != rowsByKey_.end()) {
            row = kept->second;
            rowsByKey_.erase(kept);
        } else {
            row = new DeviceRow(kind_, tap_, canvas_);
            created = true;
        }
        row->present(peripheral, label(peripheral),
                     state ? state(peripheral) : DeviceRow::Standing{});
        if (created) {
            tallest = std::max(tallest, row->sizeHint().height());
            row->show();
        }
        rows.push_back(row);
        rowsByKey.emplace(key, row);
    }
    // Taps never rebuild synchronously, so no row is being clicked while it is deleted.
    for (auto& [key, row] : rowsByKey_)
        delete row;

    std::size_t unchanged = 0;
    while (unchanged < rows.size() && unchanged < rows_.size() &&
           rows[unchanged] == rows_[unchanged])
        ++unchanged;
    rows_ = std::move(rows);
    rowsByKey_ = std::move(rowsByKey);
    chained_ = std::min(chained_, unchanged);
    settle(unchanged, tallest);
}

QWidget* DeviceListView::chainFocus(QWidget* after) {
    if (after != chainAnchor_) {
        chainAnchor_ = after;
        chained_ = 0;
    }
    QWidget* previous = chained_ == 0 ? after : rows_[chained_ - 1]->button();
    for (; chained_ < rows_.size(); ++chained_) {
        QWidget::setTabOrder(previous, rows_[chained_]->button());
        previous = rows_[chained_]->button();
    }
    return previous;
}

void DeviceListView::settle(std::size_t unchanged, int tallest) {
    if (tallest != rowHeight_) {
        rowHeight_ = tallest;
        unchanged = 0;
        verticalScrollBar()->setSingleStep(rowHeight_);
    }
    fitCanvas();
    place(unchanged);
}

void DeviceListView::place(std::size_t from) {
    const int width = canvas_->width();
    for (std::size_t index = from; index < rows_.size(); ++index)
        rows_[index]->setGeometry(0, static_cast<int>(index) * rowHeight_, width, rowHeight_);
}

void DeviceListView::fitCanvas() {
    const QSize size(viewport()->width(), static_cast<int>(rows_.size()) * rowHeight_);
    if (canvas_->size() == size)
        return;
    const bool widthChanged = canvas_->width() != size.width();
    canvas_->resize(size);
    if (widthChanged)
        place(0);
}

bool DeviceListView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Resize)
        fitCanvas();
    return QScrollArea::viewportEvent(event);
}

} // namespace vontal
