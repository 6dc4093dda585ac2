#include "platform/kde/kwin_script.h"

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace vontal {
namespace {

void install(const QString& dataDir) {
    const QString file = QDir(dataDir).filePath(QString::fromLatin1(kKwinScriptPath));
    QDir().mkpath(QFileInfo(file).path());
    std::ofstream(file.toStdString()) << "// script\n";
}

TEST(KwinScriptFile, DataDirectoriesInOrderThenBesideTheExecutable) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString home = root.filePath(QStringLiteral("home"));
    const QString system = root.filePath(QStringLiteral("system"));
    const QString prefix = root.filePath(QStringLiteral("prefix"));
    const QString bin = prefix + QStringLiteral("/bin");
    QDir().mkpath(bin);

    EXPECT_EQ(findKwinScript({home, system}, bin), QString());
    // An install into another prefix finds its own script.
    install(prefix + QStringLiteral("/share"));
    EXPECT_EQ(findKwinScript({home, system}, bin),
              QDir(prefix).canonicalPath() +
                  QStringLiteral("/share/vontal/kwin/vontal-frontmost.js"));
    install(system);
    EXPECT_EQ(findKwinScript({home, system}, bin),
              QDir(system).canonicalPath() + QStringLiteral("/vontal/kwin/vontal-frontmost.js"));
    install(home);
    EXPECT_EQ(findKwinScript({home, system}, bin),
              QDir(home).canonicalPath() + QStringLiteral("/vontal/kwin/vontal-frontmost.js"));
}

} // namespace
} // namespace vontal
