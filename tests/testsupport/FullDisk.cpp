#include "FullDisk.h"

#include <cerrno>
#include <cstring>

#include <QDir>
#include <QFile>

#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

namespace qb::test {

FullDisk::FullDisk(const QString& folder)
    : m_folder(folder)
{
#ifdef Q_OS_LINUX
    if (!QDir().mkpath(folder)) {
        m_why = folder + QStringLiteral(" cannot be made");
        return;
    }
    if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0) {
        m_why = QStringLiteral("a tmpfs cannot be mounted here (")
            + QString::fromLocal8Bit(std::strerror(errno)) + QLatin1Char(')');
        return;
    }
    m_mounted = true;
#else
    m_why = QStringLiteral("a full disk is made on Linux only");
#endif
}

FullDisk::~FullDisk()
{
#ifdef Q_OS_LINUX
    if (m_mounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
#endif
}

bool FullDisk::fill()
{
    QFile filler(path(QStringLiteral("filler")));
    if (!m_mounted || !filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) { }
    // What is left is less than a block; one byte at a time takes it.
    while (filler.write("x", 1) == 1) { }
    return filler.error() == QFileDevice::WriteError
        || filler.error() == QFileDevice::ResourceError;
}

} // namespace qb::test
