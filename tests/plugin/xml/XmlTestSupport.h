// Shared pieces of the projects-file and job-ticket tests: a scratch settings folder the
// plug-in finds through the platform overrides, file writing, and the alerts the host
// recorded. The XML library is initialised once for the whole test program (see
// XmlTestSupport.cpp). Tests only, one thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tsxmltest {

// A fresh folder under the system's temporary folder, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& Path() const { return fPath; }

private:
    std::filesystem::path fPath;
};

// Points the user's application-support folder at a scratch folder while it lives, so the
// settings folder is <scratch>/Tessaron and the cached list <scratch>/Tessaron/projects.xml.
class SettingsFolder {
public:
    SettingsFolder();
    ~SettingsFolder();
    std::filesystem::path ProjectsFile() const;
    void WriteProjects(const std::string& xml) const;
    void RemoveProjects() const;
    const std::filesystem::path& Root() const { return fScratch.Path(); }

private:
    ScratchFolder fScratch;
};

void WriteFile(const std::filesystem::path& path, const std::string& text);
std::string ReadFile(const std::filesystem::path& path);
// The host path of a POSIX path.
std::string HfsOf(const std::filesystem::path& posix);

// The texts of the alerts shown since the last call, then forgets them.
std::vector<std::string> TakeAlerts();
// Forgets every alert and progress bar recorded so far.
void ClearHostLogs();

}  // namespace tsxmltest
