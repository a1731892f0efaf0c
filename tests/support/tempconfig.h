#pragma once
// A private config folder for one test: the settings store is written there
// and nowhere else, and it disappears with the test.

#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace zeq::test {

class TempConfig {
public:
    TempConfig() { EXPECT_TRUE(m_dir.isValid()); }
    QString path() const { return m_dir.path(); }
    QString storeFile() const { return m_dir.path() + QStringLiteral("/ZeqSoft/registry.reg"); }

private:
    QTemporaryDir m_dir;
};

} // namespace zeq::test
