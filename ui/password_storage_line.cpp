#include "password_storage_line.h"

#include "display_text.h"

#include <QCoreApplication>

namespace vontal {

QString passwordStorageLine(const VaultProblem& why) {
    switch (why.kind) {
    case VaultProblem::Kind::Absent:
        return QCoreApplication::translate(
            "StatusLine", "Passwords are kept in the settings file: no keyring (Secret Service) "
                          "runs in this session. vontal moves them into one as soon as it starts.");
    case VaultProblem::Kind::Locked:
        return QCoreApplication::translate(
            "StatusLine", "Passwords are kept in the settings file: the keyring is locked. Unlock "
                          "it, then start vontal again to move them there.");
    case VaultProblem::Kind::Unanswered:
        return QCoreApplication::translate(
            "StatusLine", "Passwords are kept in the settings file: the keyring does not answer. "
                          "vontal moves them there once it does.");
    case VaultProblem::Kind::Refused:
        break;
    }
    return QCoreApplication::translate(
               "StatusLine", "Passwords are kept in the settings file: the keyring refused them "
                             "(%1).")
        .arg(display::shown(why.detail, display::kErrorLength));
}

} // namespace vontal
