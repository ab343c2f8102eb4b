// The login entry and the site launchers as desktop entries: the autostart entry in
// $XDG_CONFIG_HOME/autostart, which GNOME, KDE and the other XDG desktops start at login, and a
// launcher on the desktop folder that xdg-user-dir names.
#include "platform/Autostart.h"

#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace lanvex::platform {

namespace fs = std::filesystem;

namespace {

// The desktop entry's id: the installed entry's, so the desktop shows the program's icon and name.
constexpr char kAppId[] = LANVEX_APP_ID;

fs::path UserConfigFolder()
{
    // The XDG rules ignore a relative or empty $XDG_CONFIG_HOME.
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && fs::path(config).is_absolute())
        return config;
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : "") / ".config";
}

fs::path AutostartFile()
{
    return UserConfigFolder() / "autostart" / (std::string(kAppId) + ".desktop");
}

// A value of the string type: the escapes of the desktop entry format, on one line.
std::string EntryString(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '\\':
            escaped += "\\\\";
            break;
        case '\n':
            escaped += "\\n";
            break;
        case '\r':
            escaped += "\\r";
            break;
        case '\t':
            escaped += "\\t";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

// One argument of an Exec line: quoted, with the characters the quoting reserves escaped, and
// every % doubled so no field code is read into it. The string escapes then apply on top.
std::string ExecArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
        if (c == '%')
            quoted += '%';
    }
    return EntryString(quoted + "\"");
}

std::string EntryText(const std::string& name, const std::string& comment, const std::string& exec)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name="
        + EntryString(name) + "\nComment=" + EntryString(comment) + "\nExec=" + exec + "\nIcon=" + kAppId
        + "\nTerminal=false\n";
}

// Written whole or not at all; `executable` for a launcher on the desktop, which file managers
// start only when it may be run.
bool WriteEntry(const fs::path& path, const std::string& text, bool executable, std::string& error)
{
    std::error_code made;
    fs::create_directories(path.parent_path(), made);
    QSaveFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) < 0
        || (executable
            && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                    | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                    | QFileDevice::ExeOther))
        || !file.commit()) {
        error = path.string() + ": " + file.errorString().toStdString();
        return false;
    }
    return true;
}

// The user's desktop folder as xdg-user-dir names it; the home folder's Desktop without it.
fs::path DesktopFolder()
{
    QProcess query;
    query.start(QStringLiteral("xdg-user-dir"), { QStringLiteral("DESKTOP") });
    if (query.waitForFinished(3000) && query.exitStatus() == QProcess::NormalExit && query.exitCode() == 0) {
        const std::string folder = query.readAllStandardOutput().trimmed().toStdString();
        if (fs::path(folder).is_absolute())
            return folder;
    }
    const char* home = std::getenv("HOME");
    return fs::path(home ? home : "") / "Desktop";
}

// A file name from a site's name: no folder separators, no hidden file, no control characters.
std::string FileNamePart(const std::string& name)
{
    std::string part;
    for (const char c : name)
        part += (c == '/' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    return part;
}

} // namespace

bool Autostart::IsOn()
{
    std::error_code error;
    return fs::is_regular_file(AutostartFile(), error);
}

bool Autostart::Set(bool on, const std::string& program, std::string& error)
{
    const fs::path path = AutostartFile();
    if (!on) {
        std::error_code removed;
        fs::remove(path, removed);
        if (removed)
            error = path.string() + ": " + removed.message();
        return !removed;
    }
    return WriteEntry(path,
                      EntryText("Lanvex", "Start Lanvex in the system tray", ExecArgument(program) + " --tray")
                          + "X-GNOME-Autostart-enabled=true\n",
                      false, error);
}

std::string Autostart::Location()
{
    return AutostartFile().string();
}

std::string WriteSiteLauncher(const std::string& siteName, const std::string& program, std::string& error)
{
    const fs::path path = DesktopFolder() / ("lanvex-" + FileNamePart(siteName) + ".desktop");
    const std::string exec = ExecArgument(program) + " --switch " + ExecArgument(siteName);
    if (!WriteEntry(path, EntryText(siteName, "Lanvex: switch to " + siteName, exec), true, error))
        return {};
    return path.string();
}

} // namespace lanvex::platform
