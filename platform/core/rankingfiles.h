#pragma once

#include <QString>

namespace platform {

// Where the ranking is kept.
struct RankingFiles {
    // The file read at the end of a round and saved by the ranking window.
    QString file;
    // Read instead while `file` does not exist yet, and never written: the rows left beside
    // an installed program, carried into the player's own file by its first save. Empty
    // where there is none to look for.
    QString fallback;
};

} // namespace platform
