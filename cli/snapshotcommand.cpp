#include "snapshotcommand.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <iostream>

#include "arguments.h"
#include "snapshots/core/snapshotstore.h"
#include "standardoutput.h"
#include "stderrmessages.h"
#include "storefolder.h"

namespace {

int Trouble(const std::string& message) {
    CStderrMessages::Print(message);
    return CSnapshotCommand::kTrouble;
}

// A record number as the list shows it, 1 to the number of records.
bool ParsePosition(const std::string& text, const CSnapshotStore& store, int& position, std::string& error) {
    int number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (ec != std::errc() || end != text.data() + text.size() || !store.IsValidPosition(number - 1)) {
        error = "'" + text + "' is not a snapshot number; the snapshot folder " + store.GetWorkingDir() +
                " holds " + std::to_string(store.GetCount()) +
                (store.GetCount() == 1 ? " snapshot" : " snapshots");
        return false;
    }
    position = number - 1;
    return true;
}

int List(CSnapshotStore& store) {
    for (int i = 0; i < store.GetCount(); ++i) {
        const SnapshotRecord& r = store.GetAt(i);
        std::cout << i + 1 << '\t' << CSnapshotCommand::Escape(r.snapshotName) << '\t'
                  << CSnapshotCommand::Escape(r.sourcePath) << '\t' << CSnapshotCommand::Escape(r.sourceDate)
                  << '\t' << r.size << '\t' << CSnapshotCommand::Escape(r.description) << '\t'
                  << CSnapshotCommand::Escape(r.imageFile) << '\n';
    }
    if (!CStandardOutput::Flush()) {
        return CSnapshotCommand::kTrouble;
    }
    if (!store.IsCatalogueReadable()) {
        return CSnapshotCommand::kTrouble;
    }
    return store.IsDamaged() ? CSnapshotCommand::kDamaged : CSnapshotCommand::kOk;
}

int Add(CSnapshotStore& store, const std::vector<std::string>& operands) {
    if (operands.size() != 1) {
        return Trouble("snapshot add takes one file");
    }
    const CSnapshotStore::Taken taken = store.TakeSnapshot(operands[0], std::time(nullptr));
    if (taken.failed == CSnapshotStore::Taken::Failed::Save) {
        // The store has said why.
        return CSnapshotCommand::kTrouble;
    }
    if (taken.position < 0) {
        return Trouble(store.LastError());
    }
    const int position = taken.position;
    std::cout << position + 1 << '\n';
    std::cout.flush();
    if (!std::cout) {
        // A caller that never learnt the number cannot use the snapshot: take it back.
        store.RemoveRecord(position);
        CStandardOutput::Flush();
        return CSnapshotCommand::kTrouble;
    }
    return CSnapshotCommand::kOk;
}

int Remove(CSnapshotStore& store, const std::vector<std::string>& operands) {
    if (operands.empty()) {
        return Trouble("snapshot remove takes one or more snapshot numbers");
    }
    std::vector<int> positions;
    for (const std::string& operand : operands) {
        int position;
        std::string error;
        if (!ParsePosition(operand, store, position, error)) {
            return Trouble(error);
        }
        positions.push_back(position);
    }
    return store.RemoveRecords(positions) ? CSnapshotCommand::kOk : Trouble(store.LastError());
}

int Describe(CSnapshotStore& store, const std::vector<std::string>& operands) {
    if (operands.size() != 2) {
        return Trouble("snapshot describe takes a snapshot number and a text");
    }
    int position;
    std::string error;
    if (!ParsePosition(operands[0], store, position, error)) {
        return Trouble(error);
    }
    if (!store.SetDescription(position, operands[1])) {
        return Trouble(store.LastError());
    }
    return store.SaveCatalogue() ? CSnapshotCommand::kOk : CSnapshotCommand::kTrouble;
}

} // namespace

const char* CSnapshotCommand::Usage() {
    return "Usage: dyadmon-cli snapshot list [--store DIR]\n"
           "       dyadmon-cli snapshot add [--store DIR] FILE\n"
           "       dyadmon-cli snapshot remove [--store DIR] N...\n"
           "       dyadmon-cli snapshot describe [--store DIR] N TEXT\n"
           "Keep byte copies of files to compare with later: compare them as *N.\n"
           "\n"
           "  list       one line per snapshot, tab-separated: number, name, original path, original\n"
           "             date, size, description, image file (tab, newline and \\ written as \\t, \\n, "
           "\\\\)\n"
           "  add        copy FILE into the store and print its number\n"
           "  remove     remove the snapshots with these numbers and their image files\n"
           "  describe   set the description of snapshot N (at most 500 bytes)\n"
           "  --store DIR  use DIR as the snapshot folder (made if missing) instead of the program's\n"
           "\n"
           "Exit status: 0 done, 2 trouble, 3 the catalogue is damaged (list shows the good records).\n";
}

std::string CSnapshotCommand::Escape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
    return out;
}

int CSnapshotCommand::Main(const std::vector<std::string>& args) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        if (args.empty()) {
            std::cerr << Usage();
            return kTrouble;
        }
        std::cout << Usage();
        return CStandardOutput::Flush() ? kOk : kTrouble;
    }
    const std::string& verb = args[0];
    if (verb != "list" && verb != "add" && verb != "remove" && verb != "describe") {
        return Trouble("unknown snapshot command '" + verb + "' (see 'dyadmon-cli snapshot --help')");
    }
    std::string storeOption;
    CArguments arguments(std::vector<std::string>(args.begin() + 1, args.end()));
    std::string arg;
    while (arguments.NextOption(arg)) {
        std::string error;
        if (arg == "--help" || arg == "-h") {
            std::cout << Usage();
            return CStandardOutput::Flush() ? kOk : kTrouble;
        } else if (arg == "--store") {
            if (!arguments.Value(storeOption, error)) {
                return Trouble(error);
            }
            if (storeOption.empty()) {
                return Trouble("--store needs a folder");
            }
        } else {
            return Trouble("unknown option " + arg + " (see 'dyadmon-cli snapshot --help')");
        }
    }
    const std::vector<std::string>& operands = arguments.Operands();
    if (verb == "list" && !operands.empty()) {
        return Trouble("snapshot list takes no operands");
    }

    std::string error;
    const std::string folder = CStoreFolder::Find(storeOption, error);
    if (folder.empty()) {
        return Trouble(error);
    }
    CStderrMessages messages;
    const bool changes = verb != "list";
    CSnapshotStore store(messages);
    store.SetHolder(CSnapshotStore::Holder::Command, kLockWait);
    store.LoadCatalogue(folder,
                        changes ? CSnapshotStore::Access::ReadWrite : CSnapshotStore::Access::ReadOnly);
    const int loadErrors = messages.ErrorCount();
    if (verb == "list") {
        return List(store);
    }
    // The store has said why it can't be changed.
    if (store.IsReadOnly()) {
        return store.IsDamaged() ? kDamaged : kTrouble;
    }
    const int status = verb == "add"      ? Add(store, operands)
                       : verb == "remove" ? Remove(store, operands)
                                          : Describe(store, operands);
    if (status != kOk || messages.ErrorCount() > loadErrors) {
        return kTrouble;
    }
    return store.IsDamaged() ? kDamaged : kOk;
}
