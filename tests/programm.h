// Runs the built gaeb program on a database in a folder of its own.
#pragma once

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>

namespace gaeb::test {

inline std::string LiesDatei(const std::filesystem::path& p) {
  std::stringstream ss;
  ss << std::ifstream(p, std::ios::binary).rdbuf();
  return ss.str();
}

// A null and a full character device to write to: nodes of our own in `ordner`
// where we may make them (as root, where replacing the system's would do harm),
// else /dev/null and /dev/full.
inline std::pair<std::string, std::string> Geräte(const std::filesystem::path& ordner) {
  const std::string null = (ordner / "null").string(), voll = (ordner / "full").string();
  if (::mknod(null.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0 &&
      ::mknod(voll.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) == 0)
    return {null, voll};
  return {"/dev/null", "/dev/full"};
}

struct Lauf {
  int status = -1;
  std::string aus, err;  // standard output and error
};

// A temporary folder, removed with the object, holding the database t.db.
class Programmordner {
 public:
  explicit Programmordner(const std::string& name)
      : ordner(std::filesystem::temp_directory_path() / ("gaeb_" + name + "_" + std::to_string(::getpid()))),
        db("sqlite:" + (ordner / "t.db").string()) {
    std::filesystem::remove_all(ordner);
    std::filesystem::create_directories(ordner);
  }
  ~Programmordner() { std::filesystem::remove_all(ordner); }

  // Runs gaeb on the folder's database; args are passed to the shell as they stand.
  Lauf Gaeb(const std::string& args) const {
    std::filesystem::path out = ordner / "out.txt", err = ordner / "err.txt";
    std::string cmd = std::string(GAEB_BIN_DIR) + "/gaeb --db '" + db + "' " + args + " >'" + out.string() +
                      "' 2>'" + err.string() + "'";
    int rc = std::system(cmd.c_str());
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, LiesDatei(out), LiesDatei(err)};
  }
  // Writes a file into the folder; its path quoted for the shell.
  std::string Datei(const std::string& name, const std::string& inhalt) const {
    std::ofstream(ordner / name, std::ios::binary) << inhalt;
    return "'" + (ordner / name).string() + "'";
  }

  std::filesystem::path ordner;
  std::string db;
};

}  // namespace gaeb::test
