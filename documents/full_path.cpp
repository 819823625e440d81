#include "documents/full_path.h"

namespace tallomer {

QString fullPath(const QString& folder, const QString& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

}  // namespace tallomer
