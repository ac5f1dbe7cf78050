#pragma once

#include <string>

#include "KRegistry.h"
#include "KStream.h"

// The settings of the program: the tree filled from the default table, the
// configuration file of the current profile and the chosen language file,
// and saved back to the configuration file.
class TSettings {
  public:
    // The settings part of start-up in home: profile and configuration file,
    // the default table, the configuration, the language. Returns 0, or 6001
    // when the configuration could not be read (what was read stays). With
    // readOnly (a tool that only reads) the profile file is left as it is:
    // not made when missing, nor reset when it names a missing profile.
    int Start(const std::string& home, bool readOnly = false);
    // Saves the configuration, replacing the old file only once the new one
    // is complete. Returns 0 or 6002. A configuration that could not be read
    // is never saved over: the user's file stays as it was.
    int Save();
    // A name a new profile may take: 1 to 63 characters that make a file
    // name of their own in the home, not the program's own configuration,
    // and no profile of that name yet.
    bool CanCreateProfile(const std::string& name) const;
    // Writes the current settings as a new profile's configuration, to be
    // chosen for a later start. Returns 0, 6002 when it cannot be written,
    // or 6002 for a name CanCreateProfile refuses (nothing is overwritten).
    int CreateProfile(const std::string& name);
    // Rewrites the chosen language file with the current UI texts. Returns 0,
    // 6002 when it cannot be written, and does nothing without a language.
    int ExportLanguage();

    KRegistry& Registry() { return registry_; }
    const std::string& ConfigPath() const { return configPath_; }
    const std::string& LanguagePath() const { return languagePath_; }
    // Whether a stored configuration was read (false on a fresh installation).
    bool ConfigLoaded() const { return configLoaded_; }
    // Whether a stored configuration exists but could not be read.
    bool ConfigFailed() const { return configFailed_; }
    const std::string& Home() const { return home_; }

  private:
    void ChooseConfigFile(const std::string& home, bool readOnly);
    std::string ProfilePath(const std::string& name) const;
    // The settings without their texts to a file, replaced only when complete.
    int WriteConfig(const std::string& path);
    int LoadConfig();
    void CollectLanguages(const std::string& home);
    void LoadLanguage();

    KRegistry registry_;
    std::string home_;
    std::string configPath_;
    bool configLoaded_ = false;
    bool configFailed_ = false;
    // The text form (encoding, byte order, line ends) the files were read
    // in, which saving writes them back in.
    KStream configForm_;
    std::string languagePath_;
    KString languageHeader_{63, 4095};
    KStream languageForm_;
};
