#include "singleinstance.h"

#include <QDataStream>
#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>

#include <unistd.h>

namespace zef {

namespace {

// What a start sends: a mark, the protocol's version, the files. The frame answers one byte.
constexpr quint32 kMagic = 0x5A454650; // "ZEFP"
constexpr quint32 kProtocol = 1;
constexpr char kAccepted = 'K';

} // namespace

QString SingleInstance::defaultAddress() {
    // Wayland first: a Wayland session also sets DISPLAY for its X11 programs.
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty()) display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) display = QStringLiteral("aucun");
    display.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9.-]")), QStringLiteral("_"));
    // The runtime folder belongs to the user alone; /tmp stands in when there is none.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("zefpascal-%1-%2").arg(getuid()).arg(display));
}

SingleInstance::SingleInstance(QString address, QObject* parent)
    : QObject(parent), address_(std::move(address)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::listening() const { return server_ && server_->isListening(); }

SingleInstance::HandOver SingleInstance::handOver(const QStringList& paths, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    // The lock is held from here until listen(): a start that comes meanwhile waits for
    // the frame to listen, then hands over to it. QLockFile takes over a lock whose owner
    // died.
    lock_ = std::make_unique<QLockFile>(address_ + QStringLiteral(".lock"));
    if (!lock_->tryLock(static_cast<int>(deadline.remainingTime()))) lock_.reset();

    QLocalSocket socket;
    socket.connectToServer(address_);
    // A socket that a crash left behind refuses the connection at once.
    if (!socket.waitForConnected(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1))))
        return HandOver::NoFrame;
    frameAlive_ = true;
    QByteArray message;
    QDataStream out(&message, QIODevice::WriteOnly);
    out << kMagic << kProtocol << paths;
    socket.write(message);
    while (socket.bytesAvailable() < 1) {
        if (deadline.hasExpired() || socket.state() != QLocalSocket::ConnectedState) return HandOver::NoAnswer;
        socket.waitForReadyRead(static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)));
    }
    char answer = 0;
    socket.getChar(&answer);
    return answer == kAccepted ? HandOver::Delivered : HandOver::NoAnswer;
}

bool SingleInstance::listen() {
    if (!frameAlive_) {
        // Whatever is left at the address answers nobody: a frame that crashed left it.
        // Only the holder of the lock clears it: without the lock (it could not be had in
        // time) another start may be about to listen there, and this frame starts on its
        // own, listening only if the address is free.
        if (lock_) QLocalServer::removeServer(address_);
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_->nextPendingConnection()) serve(socket);
        });
        if (!server_->listen(address_)) {
            delete server_;
            server_ = nullptr;
        }
    }
    lock_.reset(); // the next start may come in
    return listening();
}

void SingleInstance::serve(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A start that goes away before its message is complete leaves nothing behind.
    auto* stream = new QDataStream(socket);
    connect(socket, &QObject::destroyed, this, [stream] { delete stream; });
    auto read = [this, socket, stream] {
        stream->startTransaction();
        quint32 magic = 0, protocol = 0;
        QStringList paths;
        *stream >> magic >> protocol;
        if (stream->status() == QDataStream::Ok && (magic != kMagic || protocol != kProtocol)) {
            stream->abortTransaction();
            socket->disconnectFromServer(); // not one of ours
            return;
        }
        *stream >> paths;
        if (!stream->commitTransaction()) return; // the rest is still on its way
        // The start is answered before the files open: an error box about one of them must
        // not keep it waiting. The socket is not touched after the signal, whose receiver
        // may run a modal box during which the socket goes.
        disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
        socket->putChar(kAccepted);
        socket->flush();
        emit filesReceived(paths);
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    if (socket->bytesAvailable() > 0) read();
}

} // namespace zef
