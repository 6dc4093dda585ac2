#pragma once

#include <QDBusContext>
#include <QObject>
#include <QString>
#include <functional>

namespace vontal {

// The object vontal exports for the desktop's reporter: it hands each call, with its sender's
// unique name, to `handler`, which returns whether the sender may call. A refused call gets an
// AccessDenied error reply.
class FrontmostEndpoint final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vontal.vontal.Frontmost")

public:
    using Handler = std::function<bool(const QString& sender, const QString& id)>;
    explicit FrontmostEndpoint(Handler handler) : handler_(std::move(handler)) {}

public slots:
    Q_SCRIPTABLE void ActiveApplicationChanged(const QString& id);

private:
    Handler handler_;
};

} // namespace vontal
