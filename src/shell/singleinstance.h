// One frame per user and display: a second start of the IDE hands its files to the frame
// that is already there (through a local socket in the user's runtime folder) and ends.
#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace zef {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The socket of this user's frame on this display (X11 or Wayland), in the user's
    // runtime folder.
    static QString defaultAddress();

    explicit SingleInstance(QString address, QObject* parent = nullptr);
    ~SingleInstance() override;

    enum class HandOver {
        Delivered, // a frame took the files: this start is over
        NoFrame,   // nobody listens (or a crash left its socket): this start is the frame
        NoAnswer,  // a frame is there but did not answer in time: start alone, beside it
    };
    // Takes the start-up lock (so that two starts at once do not both become the frame),
    // then hands the files (absolute paths) to the frame listening at the address.
    HandOver handOver(const QStringList& paths, int timeoutMs = 10000);
    // After handOver() did not deliver: listens at the address (in place of a socket left
    // by a crash; not beside a frame that did not answer) and lets the next start in.
    // False when this frame does not listen (it works alone).
    bool listen();
    bool listening() const;

signals:
    // Files handed over by another start (possibly none: that start only asks for the
    // frame to come forward).
    void filesReceived(const QStringList& paths);

private:
    void serve(QLocalSocket* socket);

    QString address_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
    bool frameAlive_ = false; // a frame answered the connection: its socket stays
};

} // namespace zef
