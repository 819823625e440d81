#include "read_only_folder.h"

#include <unistd.h>
#include <QFile>
#include <QProcess>

namespace tallomer::testing {

namespace {

bool run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// The proof: a new file cannot be made in the folder.
bool refusesNewFiles(const QString& folder) {
    QFile probe(folder + "/.write-probe");
    if (probe.open(QIODevice::WriteOnly)) {
        probe.close();
        probe.remove();
        return false;
    }
    return true;
}

}  // namespace

ReadOnlyFolder::ReadOnlyFolder(const QString& folder) : folder_(folder) {
    if (geteuid() != 0) {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        how_ = "permissions";
    } else if (run("mount", {"--bind", folder, folder}) &&
               (run("mount", {"-o", "remount,ro,bind", folder}) || (run("umount", {folder}), false))) {
        how_ = "read-only bind mount";
    } else if (run("chattr", {"+i", folder})) {
        how_ = "immutable attribute";
    }
    if (!how_.empty() && !refusesNewFiles(folder)) {
        how_.clear();
    }
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (how_ == "read-only bind mount") {
        run("umount", {folder_});
    } else if (how_ == "immutable attribute") {
        run("chattr", {"-i", folder_});
    } else if (how_ == "permissions") {
        QFile::setPermissions(folder_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

}  // namespace tallomer::testing
