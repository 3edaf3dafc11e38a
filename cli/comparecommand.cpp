#include "comparecommand.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <span>
#include <sys/stat.h>
#include <unistd.h>

#include "arguments.h"
#include "buserrorguard.h"
#include "compare/core/blockhandoff.h"
#include "compare/core/blockjsonwriter.h"
#include "compare/core/compengine.h"
#include "compare/core/complines.h"
#include "compare/core/compsettings.h"
#include "compare/core/differenceline.h"
#include "compare/core/logfile.h"
#include "compare/core/logstream.h"
#include "files/bufferedwriter.h"
#include "files/entrykind.h"
#include "files/filebuffer.h"
#include "files/progress.h"
#include "signalcleanup.h"
#include "snapshots/core/snapshotreference.h"
#include "snapshots/core/snapshotstore.h"
#include "standardoutput.h"
#include "stderrmessages.h"
#include "storefolder.h"

namespace {

constexpr const char* kProgram = "dyadmon-cli";

// Whole decimal numbers only: "8x", "" and "+8" are not numbers.
bool ParseNumber(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end;
}

bool ParseRange(const std::string& name, const std::string& text, int low, int high, int& value,
                std::string& error) {
    if (!ParseNumber(text, value) || value < low || value > high) {
        error = name + ": '" + text + "' is out of range; use " + std::to_string(low) + " to " +
                std::to_string(high);
        return false;
    }
    return true;
}

int Trouble(const std::string& message) {
    CStderrMessages::Print(message);
    return CCompareCommand::kTrouble;
}

} // namespace

const char* CCompareCommand::Usage() {
    return "Usage: dyadmon-cli compare [OPTION]... FILE1 FILE2\n"
           "Compare two files byte by byte and write the result as a log, as JSON or as a summary.\n"
           "A file given as *N is snapshot N of the snapshot store (see 'dyadmon-cli snapshot').\n"
           "\n"
           "  --unit 1|2|4|8|16        compare unit in bytes (default 8)\n"
           "  --lookahead 0-100        units to look ahead for moved blocks; 0 is off (default 0)\n"
           "  --bytes-per-line 1-32    bytes per line on each side of the log (default 8)\n"
           "  --ansi, --no-ansi        write the characters column in the log (default on)\n"
           "  --log FILE               write to FILE instead of standard output ('-' for it)\n"
           "  --format log|json|summary  the text log, the blocks as JSON, or a line per\n"
           "                           difference: kind, offset in file 1 and in file 2, length\n"
           "                           (tab-separated, decimal, - where absent; default log)\n"
           "  --store DIR              the snapshot folder for *N (default: the program's)\n"
           "  --progress, --no-progress  show how far the work is on standard error, or never\n"
           "                           (default: on a terminal, once the work takes a second)\n"
           "  --help                   show this help\n"
           "\n"
           "Exit status: 0 if the files are identical, 1 if they differ, 2 on trouble.\n";
}

CCompareCommand::Options CCompareCommand::DefaultOptions() {
    const CCompSettings settings;
    Options options;
    options.unit = settings.unitSize;
    options.lookAhead = settings.lookAhead;
    options.bytesPerLine = settings.BytesPerLineForCompare();
    options.ansi = settings.showAnsi;
    return options;
}

bool CCompareCommand::Parse(const std::vector<std::string>& args, Options& options, std::string& error) {
    CArguments arguments(args);
    std::string arg;
    while (arguments.NextOption(arg)) {
        std::string value;
        const bool hasValue = arguments.HasValue();
        const auto takeValue = [&]() { return arguments.Value(value, error); };
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--progress" || arg == "--no-progress") {
            if (hasValue) {
                error = arg + " takes no value";
                return false;
            }
            options.progress = arg == "--progress" ? CProgressLine::Mode::Always : CProgressLine::Mode::Never;
        } else if (arg == "--ansi" || arg == "--no-ansi") {
            if (hasValue) {
                error = arg + " takes no value";
                return false;
            }
            options.ansi = arg == "--ansi";
        } else if (arg == "--unit") {
            if (!takeValue()) {
                return false;
            }
            if (!ParseNumber(value, options.unit) || !CCompSettings::IsValidUnitSize(options.unit)) {
                error = "--unit: '" + value + "' is not a compare unit; use 1, 2, 4, 8 or 16";
                return false;
            }
        } else if (arg == "--lookahead") {
            if (!takeValue() ||
                !ParseRange(arg, value, 0, CCompSettings::kMaxLookAhead, options.lookAhead, error)) {
                return false;
            }
        } else if (arg == "--bytes-per-line") {
            if (!takeValue() ||
                !ParseRange(arg, value, 1, CCompSettings::kMaxLineLength / 2, options.bytesPerLine, error)) {
                return false;
            }
        } else if (arg == "--log") {
            if (!takeValue()) {
                return false;
            }
            if (value.empty()) {
                error = "--log needs a file ('-' for standard output)";
                return false;
            }
            options.logPath = value;
        } else if (arg == "--store") {
            if (!takeValue()) {
                return false;
            }
            if (value.empty()) {
                error = "--store needs a folder";
                return false;
            }
            options.storeFolder = value;
        } else if (arg == "--format") {
            if (!takeValue()) {
                return false;
            }
            if (value == "log") {
                options.format = Format::Log;
            } else if (value == "json") {
                options.format = Format::Json;
            } else if (value == "summary") {
                options.format = Format::Summary;
            } else {
                error = "--format: '" + value + "' is not a format; use log, json or summary";
                return false;
            }
        } else {
            error = "unknown option " + arg + " (see 'dyadmon-cli compare --help')";
            return false;
        }
    }
    if (options.help) {
        return true;
    }
    const std::vector<std::string>& files = arguments.Operands();
    if (files.size() != 2) {
        error = files.size() < 2 ? "compare needs two files (see 'dyadmon-cli compare --help')"
                                 : "compare takes two files, not " + std::to_string(files.size());
        return false;
    }
    options.file1 = files[0];
    options.file2 = files[1];
    return true;
}

// Snapshot references name the snapshot and read its image; anything else is a path.
bool CCompareCommand::ResolveTargets(const Options& options, Input inputs[2]) {
    const std::string targets[2] = {options.file1, options.file2};
    std::optional<CStderrMessages> messages;
    std::optional<CSnapshotStore> store;
    for (int i = 0; i < 2; ++i) {
        inputs[i].target = targets[i];
        if (!CSnapshotReference::IsReference(targets[i])) {
            static_cast<CFileTarget&>(inputs[i]) = {targets[i], targets[i], false};
            continue;
        }
        if (!store) {
            std::string error;
            const std::string folder = CStoreFolder::Find(options.storeFolder, error);
            if (folder.empty()) {
                Trouble(error);
                return false;
            }
            messages.emplace();
            store.emplace(*messages);
            store->LoadCatalogue(folder, CSnapshotStore::Access::ReadOnly);
        }
        static_cast<CFileTarget&>(inputs[i]) = store->Resolve(targets[i]);
        if (inputs[i].path.empty()) {
            Trouble("There is no snapshot " + targets[i] + ": the snapshot folder " + store->GetWorkingDir() +
                    " holds " + std::to_string(store->GetCount()) + ".");
            return false;
        }
    }
    return true;
}

bool CCompareCommand::Load(CFileBuffer& buffer, const Input& input) {
    const CFileBuffer::Error error =
        buffer.Load(input.path, CFileBuffer::Mode::Map,
                    input.image ? CFileBuffer::Source::StoreImage : CFileBuffer::Source::Any);
    if (error == CFileBuffer::Error::None) {
        return true;
    }
    std::string message = CFileBuffer::Message(error, input.name);
    // A snapshot's name says nothing of where its bytes were to come from.
    if (error == CFileBuffer::Error::CantOpen && !input.image) {
        const std::string kind = CEntryKind::WhyNotRegular(input.path);
        message += " (" + (kind.empty() ? std::string(std::strerror(buffer.SystemError())) : kind) + ")";
    } else if (input.image) {
        message += " (snapshot " + input.target + ", image " + input.path;
        message += buffer.SystemError() != 0 ? std::string(": ") + std::strerror(buffer.SystemError()) : "";
        message += ")";
    }
    Trouble(message);
    return false;
}

int CCompareCommand::Run(const Options& options) {
    CBusErrorGuard::Install(kProgram);
    Input inputs[2];
    if (!ResolveTargets(options, inputs)) {
        return kTrouble;
    }
    // A pipe or a socket given twice would be read once: the second reading would see nothing.
    struct stat st1 {
    }, st2{};
    if (stat(inputs[0].path.c_str(), &st1) == 0 && stat(inputs[1].path.c_str(), &st2) == 0 &&
        st1.st_dev == st2.st_dev && st1.st_ino == st2.st_ino &&
        (S_ISFIFO(st1.st_mode) || S_ISSOCK(st1.st_mode))) {
        return Trouble(inputs[0].name + " and " + inputs[1].name +
                       " are one stream, which can be read only once: save it to a file and compare that.");
    }
    CFileBuffer buffers[2];
    for (int i = 0; i < 2; ++i) {
        if (!Load(buffers[i], inputs[i])) {
            return kTrouble;
        }
        if (buffers[i].IsMapped()) {
            CBusErrorGuard::Watch(buffers[i].Data(), buffers[i].SpanLength(), inputs[i].name);
        }
    }

    // The log target is tried before the comparison, which can take long.
    CLogFile log;
    if (options.logPath.empty() || options.logPath == "-") {
        // Appended to an input (">> FILE"), the log would change the very bytes being compared.
        struct stat out {};
        if (fstat(STDOUT_FILENO, &out) == 0 && S_ISREG(out.st_mode) &&
            (buffers[0].IsFile(out.st_dev, out.st_ino) || buffers[1].IsFile(out.st_dev, out.st_ino))) {
            return Trouble("Standard output is one of the compared files.");
        }
        log.OpenDescriptor(STDOUT_FILENO);
    } else if (log.Open(options.logPath, buffers[0], buffers[1]) != CLogFile::Result::Ok) {
        return Trouble(log.Message());
    }

    const std::uint64_t size1 = buffers[0].Size();
    const std::uint64_t size2 = buffers[1].Size();
    CCompEngine engine(buffers[0].Data(), size1, buffers[1].Data(), size2);
    engine.ReleaseFrom(buffers[0], buffers[1]);
    engine.SetUnitSize(options.unit);
    engine.SetLookAhead(options.lookAhead);
    CProgressLine line(options.progress, STDERR_FILENO);
    CProgress comparing(line.Phase("Comparing"), nullptr);
    bool identical = false;

    // Blocks are written as the engine settles them, beside it and never all at once: formatting them
    // costs about what the comparison does.
    // A file written or replaced while compared gives a result of neither its old nor its new bytes.
    std::string changed;
    const auto compare = [&](const CBlockHandOff::Consumer& consumer) {
        CBlockHandOff handOff(consumer);
        engine.SetSink([&](std::span<const CompBlock> blocks) { return handOff.Hand(blocks); });
        const bool compared = engine.Run(comparing);
        // After the output, which may wait for its reader: a change until the very end is told.
        const bool handed = handOff.Finish();
        for (int i = 0; i < 2 && changed.empty(); ++i) {
            if (buffers[i].ChangedOnDisk(inputs[i].path)) {
                changed = inputs[i].name;
            }
        }
        return handed && compared && changed.empty();
    };
    const auto write = [&](CBufferedWriter& out) {
        if (options.format == Format::Summary) {
            // Each batch's blocks as the rows show them, as the log cuts them.
            bool allSame = true;
            const bool written = compare([&](std::span<const CompBlock> blocks) {
                allSame = allSame && std::all_of(blocks.begin(), blocks.end(), [](const CompBlock& block) {
                              return block.kind == BlockKind::Same;
                          });
                const CCompLines lines(CompBlockList(blocks.begin(), blocks.end()), options.unit, size1,
                                       size2, 1);
                return CDifferenceLine::WriteSummary(out, lines.Blocks());
            });
            identical = size1 == size2 && allSame;
            return written && out.Error() == 0;
        }
        if (options.format == Format::Json) {
            CBlockJsonWriter json(out, {inputs[0].name, size1}, {inputs[1].name, size2}, options.unit,
                                  options.lookAhead);
            const bool written =
                compare([&](std::span<const CompBlock> blocks) { return json.Add(blocks); }) && json.Finish();
            identical = json.Identical();
            return written;
        }
        CLogStream stream(out, {buffers[0].Data(), size1}, {buffers[1].Data(), size2}, options.unit,
                          options.bytesPerLine, options.ansi);
        const bool written =
            compare([&](std::span<const CompBlock> blocks) { return stream.Add(blocks); }) && stream.Finish();
        identical = size1 == size2 && stream.AllSame();
        return written;
    };
    // A log that can be made again needs no flush to disk, which would slow big logs down.
    if (log.Write(write, false) != CLogFile::Result::Ok) {
        if (!changed.empty()) {
            return Trouble("The file " + changed + " changed while it was being compared.");
        }
        CSignalCleanup::EndIfReaderGone(log.WriteError());
        return Trouble(log.Message());
    }
    return identical ? kIdentical : kDifferent;
}

int CCompareCommand::Main(const std::vector<std::string>& args) {
    Options options = DefaultOptions();
    std::string error;
    if (!Parse(args, options, error)) {
        return Trouble(error);
    }
    if (options.help) {
        std::cout << Usage();
        return CStandardOutput::Flush() ? kIdentical : kTrouble;
    }
    return Run(options);
}
