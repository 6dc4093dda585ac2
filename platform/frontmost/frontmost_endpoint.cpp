#include "platform/frontmost/frontmost_endpoint.h"

#include <QDBusError>
#include <QDBusMessage>

namespace vontal {

void FrontmostEndpoint::ActiveApplicationChanged(const QString& id) {
    // Direct calls (not from the bus) have no sender to check; there are none in vontal.
    if (!calledFromDBus())
        return;
    // A refused call that wants no reply costs no message either.
    if (!handler_(message().service(), id) && message().isReplyRequired())
        sendErrorReply(QDBusError::AccessDenied,
                       QStringLiteral("Only the desktop may report the application in front"));
}

} // namespace vontal
