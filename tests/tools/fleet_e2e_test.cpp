// Scanner settings as desired state: qspctl check against virtual scanners, and the qsp.scanner
// Ansible collection on an inventory of local hosts, each with its own folder and virtual scanner.

#include <nlohmann/json.hpp>
#include <regex>

#include "e2e_support.h"
#include "workbench/profile.h"

namespace {

using namespace e2e;

const char* kProfile =
    "# shop\n[Code 128 -{EAN128}]\nCode128 Length Min = 4\n[Mode and Interface]\nTerminator = CR\n";

nlohmann::json Json(const Run& run) {
    const auto start = run.output.find('{');
    EXPECT_NE(start, std::string::npos) << run.output;
    return nlohmann::json::parse(run.output.substr(start == std::string::npos ? 0 : start));
}

TEST(Check, SaysWhetherEachScannerHoldsTheSourceAndProgramsNothing) {
    Folder dir;
    const fs::path saved = dir.path / "saved.Dec";
    Sim sim(dir.path, {"--save", saved.string()}, 1);
    ASSERT_TRUE(sim.Ready());
    std::ofstream(dir.path / "shop.qsp-profile") << kProfile;
    const auto ctl = [&](const std::string& args) { return Qspctl(dir.path, args); };

    // The factory scanner differs: its rows, current then wanted, and status 3.
    auto run = ctl("check shop.qsp-profile --port 1");
    EXPECT_EQ(run.status, 3) << run.output;
    EXPECT_TRUE(Has(run.output, "COM1: differs: "));
    EXPECT_TRUE(Has(run.output, "# 22 Code 128 -{EAN128}\nCode128 Length Min\t 5\t 4\n"));
    EXPECT_TRUE(SameBlock(FileImage(saved), FactoryImage()));

    // Its JSON says what diff says of the scanner's file and the file with the profile applied.
    ASSERT_EQ(ctl("read -o now.Dec --port 1").status, 0);
    ASSERT_EQ(ctl("apply shop.qsp-profile --to now.Dec -o wanted.Dec").status, 0);
    const auto diff = Json(ctl("diff now.Dec wanted.Dec --json"));
    run = ctl("check shop.qsp-profile --port 1 --json");
    EXPECT_EQ(run.status, 3) << run.output;
    auto json = Json(run);
    ASSERT_EQ(json["scanners"].size(), 1u);
    EXPECT_EQ(json["scanners"][0]["result"], "differs");
    EXPECT_EQ(json["scanners"][0]["rows"], diff["rows"]);
    EXPECT_GT(json["scanners"][0]["bytes_changed"].get<int>(), 0);
    EXPECT_TRUE(SameBlock(FileImage(saved), FactoryImage()));  // nor does --json program it

    // Once written, it holds the profile: status 0, no rows.
    ASSERT_EQ(ctl("write shop.qsp-profile --port 1").status, 0);
    run = ctl("check shop.qsp-profile --port 1");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, "COM1: already holds these settings\n");
    json = Json(ctl("check shop.qsp-profile --port 1 --json"))["scanners"][0];
    EXPECT_EQ(json["result"], "holds");
    EXPECT_EQ(json["bytes_changed"], 0);
    EXPECT_TRUE(json["rows"].empty());

    // A scanner that cannot be read is a failure, whatever the others hold.
    run = ctl("check shop.qsp-profile --port 1,2 --json");
    EXPECT_EQ(run.status, 1) << run.output;
    json = Json(run);
    ASSERT_EQ(json["scanners"].size(), 2u);
    EXPECT_EQ(json["scanners"][1]["result"], "failed");
    EXPECT_EQ(json["scanners"][1]["message"], "Cannot connect to scanner.");
    EXPECT_EQ(ctl("check missing.qsp-profile --port 1").status, 1);
}

// ansible-playbook, ansible-doc and the collection found through a folder of the test's own;
// Ansible's home and temporary files stay in it too.
struct Ansible {
    Folder dir;
    Ansible() {
        fs::create_directories(dir.path / "collections" / "ansible_collections");
        fs::create_directory_symlink(fs::path(QSP_SOURCE_DIR) / "ansible" / "qsp",
                                     dir.path / "collections" / "ansible_collections" / "qsp");
        // No ansible.cfg of the machine or the user applies.
        std::ofstream(dir.path / "ansible.cfg") << "[defaults]\n";
    }
    static bool Installed() { return Shell("command -v ansible-playbook").status == 0; }
    Run operator()(const std::string& command, const std::string& env = "") const {
        return Shell("cd '" + dir.path.string() +
                     "' && env ANSIBLE_COLLECTIONS_PATH=\"$PWD/collections\" "
                     "ANSIBLE_HOME=\"$PWD/home\" ANSIBLE_LOCAL_TEMP=\"$PWD/tmp\" "
                     "ANSIBLE_REMOTE_TEMP=\"$PWD/remote\" ANSIBLE_CONFIG=\"$PWD/ansible.cfg\" "
                     "ANSIBLE_NOCOLOR=1 ANSIBLE_RETRY_FILES_ENABLED=0 " +
                     env + " " + command + " </dev/null");
    }
    // A playbook of one task on `hosts`: the module with the host's folder and qspctl.
    void Play(const std::string& name, const std::string& hosts, const std::string& module) const {
        std::ofstream(dir.path / name)
            << "- hosts: " << hosts << "\n  gather_facts: false\n  tasks:\n    - qsp.scanner."
            << module << "\n        settings_dir: '{{ qsp_settings_dir }}'\n"
            << "        executable: '{{ qspctl }}'\n";
    }
};

// changed= and failed= of a host in the play recap; -1 when the recap does not name it.
std::pair<int, int> Recap(const std::string& output, const std::string& host) {
    const std::regex line(host +
                          R"(\s*:\s*ok=\d+\s+changed=(\d+)\s+unreachable=\d+\s+failed=(\d+))");
    std::smatch m;
    if (!std::regex_search(output, m, line)) return {-1, -1};
    return {std::stoi(m[1]), std::stoi(m[2])};
}

TEST(AnsibleCollection, ModuleDocumentationRendersAndTheCollectionBuilds) {
    if (!Ansible::Installed()) GTEST_SKIP() << "ansible-core is not installed";
    Ansible ansible;
    for (const std::string module : {"settings", "info"}) {
        const auto run = ansible("ansible-doc qsp.scanner." + module);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_TRUE(Has(run.output, "settings_dir"));  // from the shared options
        EXPECT_TRUE(Has(run.output, "RETURN VALUES"));
    }
    const auto run = ansible("ansible-galaxy collection build '" + std::string(QSP_SOURCE_DIR) +
                             "/ansible/qsp/scanner' --output-path .");
    EXPECT_EQ(run.status, 0) << run.output;
    const auto listed =
        Shell("tar tzf '" + (ansible.dir.path / "qsp-scanner-1.0.0.tar.gz").string() + "'");
    EXPECT_TRUE(Has(listed.output, "plugins/modules/settings.py"));
    EXPECT_TRUE(Has(listed.output, "plugins/module_utils/qspctl.py"));
}

TEST(AnsibleCollection, APlaybookPutsTheProfileOnEveryHostsScanner) {
    if (!Ansible::Installed()) GTEST_SKIP() << "ansible-core is not installed";
    Ansible ansible;
    const fs::path& base = ansible.dir.path;
    std::ofstream(base / "shop.qsp-profile") << kProfile;
    Folder host[3];  // pos1 and pos2 with a scanner each; pos3's does not answer
    Sim first(host[0].path, {"--save", (host[0].path / "saved.Dec").string()});
    Sim second(host[1].path, {"--save", (host[1].path / "saved.Dec").string()});
    ASSERT_TRUE(first.Ready() && second.Ready());
    {
        std::ofstream inventory(base / "hosts.ini");
        inventory << "[pos]\n";
        for (int i = 0; i < 3; ++i)
            inventory << "pos" << i + 1
                      << " ansible_connection=local qsp_settings_dir=" << host[i].path.string()
                      << "\n";
        inventory << "[pos:vars]\nansible_python_interpreter=" << Shell("command -v python3").output
                  << "qspctl=" << (BinDir() / "qspctl").string() << "\n";
    }
    ansible.Play("shop.yml", "pos",
                 "settings:\n        src: " + (base / "shop.qsp-profile").string());
    const auto saved = [&](int i) { return FileImage(host[i].path / "saved.Dec"); };
    const auto recaps = [&](const std::string& output, std::vector<std::pair<int, int>> want) {
        for (int i = 0; i < int(want.size()); ++i)
            EXPECT_EQ(Recap(output, "pos" + std::to_string(i + 1)), want[i]) << output;
    };

    // Check mode with diff: the rows each scanner would change, and nothing programmed.
    auto run = ansible("ansible-playbook -i hosts.ini shop.yml --check --diff");
    EXPECT_EQ(run.status, 2) << run.output;  // a host failed
    EXPECT_TRUE(Has(run.output, "--- before: COM1 (now)\n+++ after: COM1 (wanted)\n"));
    EXPECT_TRUE(Has(run.output,
                    " # 22 Code 128 -{EAN128}\n-Code128 Length Min = 5\n"
                    "+Code128 Length Min = 4\n"));
    recaps(run.output, {{1, 0}, {1, 0}, {0, 1}});
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(SameBlock(saved(i), FactoryImage())) << i;

    // For real: the good hosts change, the faulty one fails with qspctl's message. Each
    // scanner's return says what was programmed and what it holds now.
    run = ansible("ansible-playbook -i hosts.ini shop.yml", "ANSIBLE_STDOUT_CALLBACK=json");
    EXPECT_EQ(run.status, 2) << run.output;
    auto played = Json(run);
    const auto& hosts = played["plays"][0]["tasks"][0]["hosts"];
    for (const char* host : {"pos1", "pos2"}) {
        EXPECT_EQ(played["stats"][host]["changed"], 1) << host;
        EXPECT_EQ(played["stats"][host]["failures"], 0) << host;
        const auto& scanner = hosts[host]["scanners"][0];
        EXPECT_EQ(scanner["result"], "programmed") << scanner;
        EXPECT_EQ(scanner["message"], "Parameter is programmed successfully.");
        EXPECT_GT(scanner["bytes_changed"].get<int>(), 0);
        nlohmann::json length;
        for (const auto& row : scanner["rows"])
            if (row["label"] == "Code128 Length Min") length = row;
        EXPECT_EQ(length["before"], " 5") << scanner;
        EXPECT_EQ(length["after"], " 4") << scanner;
    }
    EXPECT_EQ(played["stats"]["pos3"]["failures"], 1);
    EXPECT_EQ(hosts["pos3"]["msg"], "COM1: Cannot connect to scanner.");
    qsp::ImageBytes expected = FactoryImage();
    ASSERT_TRUE(qsp::ApplyProfile(expected, kProfile, "p").ok());
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(SameBlock(saved(i), expected)) << i;
    const auto read = Json(Qspctl(host[0].path, "read -o r.Dec --json"));
    EXPECT_EQ(hosts["pos1"]["scanners"][0]["block_xor"], read["scanners"][0]["block_xor"]);

    // Again: nothing left to change.
    recaps(ansible("ansible-playbook -i hosts.ini shop.yml").output, {{0, 0}, {0, 0}});

    // The facts info gathers are what qspctl export says of the same scanner.
    ansible.Play("info.yml", "pos1", "info:");
    run = ansible("ansible-playbook -i hosts.ini info.yml", "ANSIBLE_STDOUT_CALLBACK=json");
    ASSERT_EQ(run.status, 0) << run.output;
    const auto facts = Json(run)["plays"][0]["tasks"][0]["hosts"]["pos1"];
    const auto exported = Json(Qspctl(host[0].path, "export r.Dec --json"));
    ASSERT_TRUE(facts.contains("scanner")) << facts;
    EXPECT_EQ(facts["scanner"]["port"], "COM1");
    EXPECT_EQ(facts["scanner"]["link"], "rs232");
    EXPECT_EQ(facts["scanner"]["block_xor"], read["scanners"][0]["block_xor"]);
    EXPECT_EQ(facts["qspctl_version"], read["qspctl_version"]);
    std::size_t rows = 0;
    for (const auto& row : exported["rows"])
        EXPECT_EQ(facts["scanner"]["rows"][row["heading"].get<std::string>()]
                       [row["label"].get<std::string>()],
                  row["value"]);
    for (const auto& page : facts["scanner"]["rows"])
        rows += page.size();
    EXPECT_EQ(rows, exported["rows"].size());
    EXPECT_GE(rows, 1u);
}

}  // namespace
