#include "atomicwrite.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString reason(int err)
{
    switch (err) {
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return QStringLiteral("ディスクの空き容量が足りません。");
    case EACCES:
    case EPERM:
        return QStringLiteral("書き込む権限がありません。");
    case EROFS:
        return QStringLiteral("読み取り専用の場所です。");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("保存先のフォルダがありません。");
    case EISDIR:
        return QStringLiteral("同じ名前のフォルダがあります。");
    default:
        return QString::fromLocal8Bit(std::strerror(err));
    }
}

bool fail(QString *error, int err)
{
    if (error)
        *error = reason(err);
    return false;
}

}

bool replaceFileSafely(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo info(path);
    if (info.isDir())
        return fail(error, EISDIR);
    // Follow a link so the file it points to is replaced, not the link.
    const QString target = info.isSymLink() ? info.symLinkTarget() : path;
    const QByteArray targetName = QFile::encodeName(target);
    const QByteArray tempName = targetName + ".tarnell-" + QByteArray::number(qint64(getpid())) + ".tmp";

    mode_t mode = 0666 & ~[] { mode_t m = umask(0); umask(m); return m; }();
    struct stat st {};
    const bool existed = ::stat(targetName.constData(), &st) == 0;
    if (existed)
        mode = st.st_mode & 07777;

    const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return fail(error, errno);
    auto abandon = [&](int err) {
        ::close(fd);
        ::unlink(tempName.constData());
        return fail(error, err);
    };
    const char *p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon(errno);
        }
        if (n == 0)
            return abandon(ENOSPC);
        p += n;
        left -= n;
    }
    if (::fsync(fd) != 0)
        return abandon(errno);
    if (existed) {
        // Keep owner and permissions of the file being replaced (the owner only where allowed).
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Not allowed for other users' files: the new file stays ours.
        }
    }
    if (::fchmod(fd, mode) != 0)
        return abandon(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(tempName.constData());
        return fail(error, err);
    }
    if (::rename(tempName.constData(), targetName.constData()) != 0) {
        const int err = errno;
        ::unlink(tempName.constData());
        return fail(error, err);
    }
    return true;
}
