#pragma once

#include <QLabel>

namespace vontal {

// A one-line label for names from outside: control characters show as visible symbols (so a
// name cannot break the line or hide text), a name longer than display::kNameLength characters is
// cut short with "…", and a name wider than the label ends in "…" when painted, while text()
// keeps what is shown of the name. That is also the tooltip, never read as markup.
class ElidedLabel final : public QLabel {
public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // Shows `name` (from the device or the store, made visible and bounded here).
    void setName(const QString& name);
    // What is painted at the label's present width.
    QString displayedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vontal
