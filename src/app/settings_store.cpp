#include "app/settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <cstdint>

#include "app/message_service.h"

namespace urlsmith::app {

namespace {

// A value's text as stored, or nothing. INI lists (a hand-written text with commas) are read as
// the text they were.
std::optional<QString> TextOf(const QSettings& ini, const char* name) {
  const QVariant value = ini.value(QLatin1String(name));
  if (!value.isValid()) return std::nullopt;
  if (value.typeId() == QMetaType::QStringList) return value.toStringList().join(u',');
  if (!value.canConvert<QString>()) return std::nullopt;
  return value.toString();
}

std::optional<long long> NumberOf(const QSettings& ini, const char* name) {
  const auto text = TextOf(ini, name);
  if (!text) return std::nullopt;
  bool ok = false;
  const long long n = text->trimmed().toLongLong(&ok);
  if (!ok) return std::nullopt;
  return n;
}

void ReadFlag(const QSettings& ini, const char* name, bool& flag) {
  const auto n = NumberOf(ini, name);
  if (n && (*n == 0 || *n == 1)) flag = *n == 1;
}

void ReadText(const QSettings& ini, const char* name, std::string& text, qsizetype limit) {
  const auto value = TextOf(ini, name);
  if (!value) return;
  QByteArray utf8 = value->toUtf8();
  if (utf8.size() > limit) return;
  text.assign(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

template <typename Enum>
void ReadIndex(const QSettings& ini, const char* name, Enum& value, int count) {
  const auto n = NumberOf(ini, name);
  if (n && *n >= 0 && *n < count) value = static_cast<Enum>(*n);
}

QString Text(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

SettingsStore::SettingsStore()
    : path_(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
            QStringLiteral("/Urlsmith/Urlsmith.conf")) {}

WizardSettings SettingsStore::Load() const {
  WizardSettings s;
  if (!QFileInfo::exists(path_)) return s;
  const QSettings ini(path_, QSettings::IniFormat);
  SearchOptions& so = s.search;
  ReadFlag(ini, "stStep3Chk1", so.ScanScriptsByTag);
  ReadFlag(ini, "stStep3Chk2", so.ScanScriptsByProtocol);
  ReadFlag(ini, "stStep3Chk3", so.UseSavedFromUrl);
  ReadFlag(ini, "stStep3Chk5", so.SearchByFileNames);
  ReadFlag(ini, "stStep3Chk9", so.CheckInternetUrls);
  ReadFlag(ini, "stStep3Chk10", so.ScanEventHandlers);
  ReadFlag(ini, "stStep3Chk12", so.UseBaseUrl);
  ReadFlag(ini, "stStep3Chk13", so.SearchHtml5);
  ReadText(ini, "stStep3Edit1", so.BaseUrl, kMaxSettingText);
  ProcessingOptions& po = s.processing;
  ReadFlag(ini, "stStep4Chk1", po.DeleteScriptLinks);
  ReadFlag(ini, "stStep4Chk2", po.AddProtocolNames);
  ReadFlag(ini, "stStep4Chk3", po.AddProtocolSlashes);
  ReadFlag(ini, "stStep4Chk4", po.CanonicalizeUrls);
  ReadFlag(ini, "stStep4Chk5", po.UseBaseUrlAsRoot);
  ReadFlag(ini, "stStep4Chk6", po.ModifyExistingTargets);
  ReadFlag(ini, "stStep4Chk8", po.DeleteUnknownProtocols);
  ReadFlag(ini, "stStep4Chk9", so.FixRedirects);
  ReadFlag(ini, "stStep4Chk10", so.CaseSensitive);
  bool relative = true;
  ReadFlag(ini, "stStep4Rad1", relative);
  po.UrlForm = relative ? UrlFormKind::Relative : UrlFormKind::Absolute;
  ReadText(ini, "stStep4Edit1", po.TargetUrlMask, kMaxSettingText);
  ReadIndex(ini, "stStep4Combo1", po.TargetAdderMode, 3);
  ReadText(ini, "stStep4Combo2", po.TargetName, kMaxSettingText);
  ReadIndex(ini, "stStep6Combo1", s.sortMode, 3);
  ReadFlag(ini, "stStep7Chk1", s.imageReplacementRelative);
  ReadFlag(ini, "stStep7Chk2", s.backgroundReplacementRelative);
  ReadText(ini, "stStep7Edit1", s.imageReplacementUrl, kMaxSettingText);
  ReadText(ini, "stStep7Edit2", s.backgroundReplacementUrl, kMaxSettingText);
  ReadText(ini, "lastRootFolder", s.lastRootFolder, kMaxSettingFolder);
  return s;
}

void SettingsStore::Save(const WizardSettings& s, MessageService& messages) const {
  const QString folder = QFileInfo(path_).absolutePath();
  if (!QDir().mkpath(folder)) {
    EmergencyQuit(messages, QStringLiteral("Main - Unable to open the registry key!"));
  }
  QSettings ini(path_, QSettings::IniFormat);
  auto flag = [&ini](const char* name, bool on) { ini.setValue(QLatin1String(name), on ? 1 : 0); };
  auto text = [&ini](const char* name, const std::string& value) {
    ini.setValue(QLatin1String(name), Text(value));
  };
  const SearchOptions& so = s.search;
  flag("stStep3Chk1", so.ScanScriptsByTag);
  flag("stStep3Chk2", so.ScanScriptsByProtocol);
  flag("stStep3Chk3", so.UseSavedFromUrl);
  flag("stStep3Chk5", so.SearchByFileNames);
  flag("stStep3Chk9", so.CheckInternetUrls);
  flag("stStep3Chk10", so.ScanEventHandlers);
  flag("stStep3Chk12", so.UseBaseUrl);
  flag("stStep3Chk13", so.SearchHtml5);
  text("stStep3Edit1", so.BaseUrl);
  const ProcessingOptions& po = s.processing;
  flag("stStep4Chk1", po.DeleteScriptLinks);
  flag("stStep4Chk2", po.AddProtocolNames);
  flag("stStep4Chk3", po.AddProtocolSlashes);
  flag("stStep4Chk4", po.CanonicalizeUrls);
  flag("stStep4Chk5", po.UseBaseUrlAsRoot);
  flag("stStep4Chk6", po.ModifyExistingTargets);
  flag("stStep4Chk8", po.DeleteUnknownProtocols);
  flag("stStep4Chk9", so.FixRedirects);
  flag("stStep4Chk10", so.CaseSensitive);
  flag("stStep4Rad1", po.UrlForm == UrlFormKind::Relative);
  text("stStep4Edit1", po.TargetUrlMask);
  ini.setValue(QStringLiteral("stStep4Combo1"), po.TargetAdderMode == TargetMode::NoSelection
                                                    ? 0
                                                    : static_cast<int>(po.TargetAdderMode));
  text("stStep4Combo2", po.TargetName);
  ini.setValue(QStringLiteral("stStep6Combo1"), static_cast<int>(s.sortMode));
  flag("stStep7Chk1", s.imageReplacementRelative);
  flag("stStep7Chk2", s.backgroundReplacementRelative);
  text("stStep7Edit1", s.imageReplacementUrl);
  text("stStep7Edit2", s.backgroundReplacementUrl);
  text("lastRootFolder", s.lastRootFolder);
  ini.sync();
  if (ini.status() != QSettings::NoError) {
    EmergencyQuit(messages, QStringLiteral("Main - Unable to set the registry value!"));
  }
}

std::optional<int> SettingsStore::LoadTipCounter() const {
  if (!QFileInfo::exists(path_)) return std::nullopt;
  const QSettings ini(path_, QSettings::IniFormat);
  const auto n = NumberOf(ini, "tod_curTip");
  if (!n || *n < INT32_MIN || *n > INT32_MAX) return std::nullopt;
  return static_cast<int>(*n);
}

bool SettingsStore::SaveTipCounter(int counter) const {
  if (!QDir().mkpath(QFileInfo(path_).absolutePath())) return false;
  QSettings ini(path_, QSettings::IniFormat);
  ini.setValue(QStringLiteral("tod_curTip"), counter);
  ini.sync();
  return ini.status() == QSettings::NoError;
}

void SettingsStore::Remove() const {
  QFile::remove(path_);
  QDir().rmdir(QFileInfo(path_).absolutePath());
}

}  // namespace urlsmith::app
