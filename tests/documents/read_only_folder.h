#pragma once
#include <QString>
#include <string>

namespace tallomer::testing {

// Makes a folder truly read-only for this process, also for root: a read-only bind mount of
// the folder over itself, or else the immutable attribute, or (not root) plain permissions.
// Undone when the object goes. `how` says which held; empty when none could be made to hold.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder);
    ~ReadOnlyFolder();
    const std::string& how() const { return how_; }

private:
    QString folder_;
    std::string how_;
};

}  // namespace tallomer::testing
