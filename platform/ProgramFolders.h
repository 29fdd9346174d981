#pragma once

#include <QString>

namespace varnook {

// Where the program finds its own files (the help file) and where it keeps data.enc and its lock.
//
// A portable copy (an unpacked archive, a build folder, ~/.local/opt/varnook) is one folder: the
// programs, their files and data.enc side by side. A copy installed by the system's package manager
// has its programs in <prefix>/bin and its files in <prefix>/share/varnook, folders that belong to
// the package manager, so its data.enc lives in the user's data folder.
struct ProgramFolders {
    static constexpr const char *DataFileName = "data.enc";
    static constexpr const char *HelpFileName = "Help.rtf";
    // Under the user's data folder; fixed, so that a build with another product name finds the same file.
    static constexpr const char *UserFolderName = "Varnook";

    QString programFolder; // the help file
    QString dataFolder;    // data.enc and its lock

    // The folders of the programs whose executables lie in executableFolder:
    // - installed (no help file beside them, a folder ../share/varnook): that folder for the files,
    //   the user's data folder for data.enc, even where the super-user could write the package's folders;
    // - otherwise executableFolder for both, unless it neither already holds data.enc nor can be
    //   written: then data.enc goes to the user's data folder.
    static ProgramFolders forExecutableIn(const QString &executableFolder);
    // $XDG_DATA_HOME/Varnook where XDG_DATA_HOME is an absolute path, else ~/.local/share/Varnook.
    static QString userDataFolder();

    // Makes a data folder that is missing, open to its owner only. False when it is still missing.
    static bool makeDataFolder(const QString &folder);
};

} // namespace varnook
