#include "platform/unix/GnomeProxyStore.h"

#include <QLibrary>
#include <string>
#include <vector>

namespace lanvex::platform {

namespace {

// The few GIO and GObject calls this needs, declared here and resolved at run time.
struct GSettings;
struct GSettingsSchema;
struct GSettingsSchemaSource;
using gboolean = int;

struct Gio
{
    GSettingsSchemaSource* (*schemaSourceGetDefault)() = nullptr;
    GSettingsSchema* (*schemaSourceLookup)(GSettingsSchemaSource*, const char*, gboolean) = nullptr;
    void (*schemaUnref)(GSettingsSchema*) = nullptr;
    GSettings* (*settingsNew)(const char*) = nullptr;
    GSettings* (*getChild)(GSettings*, const char*) = nullptr;
    gboolean (*setString)(GSettings*, const char*, const char*) = nullptr;
    gboolean (*setInt)(GSettings*, const char*, int) = nullptr;
    gboolean (*setStrv)(GSettings*, const char*, const char* const*) = nullptr;
    void (*sync)() = nullptr;
    void (*objectUnref)(void*) = nullptr;

    bool IsLoaded() const
    {
        return schemaSourceGetDefault && schemaSourceLookup && schemaUnref && settingsNew && getChild && setString
            && setInt && setStrv && sync && objectUnref;
    }
};

template <typename Function> void resolve(QLibrary& library, const char* name, Function& function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
}

const Gio& LoadedGio()
{
    static const Gio gio = [] {
        Gio loaded;
        // Never unloaded: QLibrary leaves the library in the process when it goes.
        QLibrary library(QStringLiteral("gio-2.0"), 0);
        QLibrary gobject(QStringLiteral("gobject-2.0"), 0);
        if (!library.load() || !gobject.load())
            return loaded;
        resolve(library, "g_settings_schema_source_get_default", loaded.schemaSourceGetDefault);
        resolve(library, "g_settings_schema_source_lookup", loaded.schemaSourceLookup);
        resolve(library, "g_settings_schema_unref", loaded.schemaUnref);
        resolve(library, "g_settings_new", loaded.settingsNew);
        resolve(library, "g_settings_get_child", loaded.getChild);
        resolve(library, "g_settings_set_string", loaded.setString);
        resolve(library, "g_settings_set_int", loaded.setInt);
        resolve(library, "g_settings_set_strv", loaded.setStrv);
        resolve(library, "g_settings_sync", loaded.sync);
        resolve(gobject, "g_object_unref", loaded.objectUnref);
        return loaded;
    }();
    return gio;
}

constexpr const char* kSchema = "org.gnome.system.proxy";

bool schemaInstalled(const Gio& gio)
{
    GSettingsSchemaSource* source = gio.schemaSourceGetDefault();
    GSettingsSchema* schema = source ? gio.schemaSourceLookup(source, kSchema, 1) : nullptr;
    if (schema)
        gio.schemaUnref(schema);
    return schema != nullptr;
}

// One GSettings object, unreferenced with it.
class Settings
{
public:
    Settings(const Gio& gio, GSettings* settings)
        : gio_(gio)
        , settings_(settings)
    { }
    ~Settings()
    {
        if (settings_)
            gio_.objectUnref(settings_);
    }
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    Settings Child(const char* name) const { return Settings(gio_, gio_.getChild(settings_, name)); }
    bool SetString(const char* key, const std::string& value) const
    {
        return settings_ && gio_.setString(settings_, key, value.c_str());
    }
    bool SetInt(const char* key, int value) const { return settings_ && gio_.setInt(settings_, key, value); }
    bool SetStrv(const char* key, const std::vector<std::string>& values) const
    {
        std::vector<const char*> texts;
        for (const std::string& value : values)
            texts.push_back(value.c_str());
        texts.push_back(nullptr);
        return settings_ && gio_.setStrv(settings_, key, texts.data());
    }

private:
    const Gio& gio_;
    GSettings* settings_;
};

// Each protocol's proxy: the one server for http, https and ftp; none for socks, which would
// otherwise stay as it was and take over.
bool setServers(const Settings& proxy, const net::ProxySettings& settings)
{
    bool ok = true;
    for (const char* protocol : { "http", "https", "ftp" }) {
        const Settings child = proxy.Child(protocol);
        ok = child.SetString("host", settings.host) && child.SetInt("port", settings.port) && ok;
    }
    const Settings socks = proxy.Child("socks");
    return socks.SetString("host", "") && socks.SetInt("port", 0) && ok;
}

} // namespace

net::ProxyChange GnomeProxyStore::SetProxy(const net::ProxySettings& settings)
{
    const Gio& gio = LoadedGio();
    if (!gio.IsLoaded() || !schemaInstalled(gio))
        return net::ProxyChange::NoStore;
    const Settings proxy(gio, gio.settingsNew(kSchema));
    bool ok = true;
    if (settings.mode == net::ProxyMode::Manual)
        ok = setServers(proxy, settings) && proxy.SetStrv("ignore-hosts", settings.bypass);
    else if (settings.mode == net::ProxyMode::Auto)
        ok = proxy.SetString("autoconfig-url", settings.pacUrl);
    // The mode last, once what it points at is in place.
    ok = ok && proxy.SetString("mode", std::string(net::ProxyModeName(settings.mode)));
    gio.sync();
    return ok ? net::ProxyChange::Done : net::ProxyChange::Failed;
}

} // namespace lanvex::platform
