// The readers that take text from outside the program, each fed arbitrary bytes. Every target
// returns an empty text when the input was handled soundly, else what went wrong, so that the
// fuzzers stop on it and the regression test reports it. Besides not crashing, each reader
// must give back what its own writer wrote: a job loaded, saved and loaded again is the same job.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavrel::fuzz {

using Target = std::string (*)(std::string_view bytes);

// A job file (.tvj) of either version: read, written as version 2, read again.
std::string FuzzJobFile(std::string_view bytes);
// Comma text as the FilTyper value holds it; and lists cut from the bytes, written and read.
std::string FuzzCommaText(std::string_view bytes);
// A folder list (.tvl): read, written, read again.
std::string FuzzJobList(std::string_view bytes);
// A whole job loaded from the simulated disk into a real folder tree: the job file and its list
// are the bytes before and after the first NUL byte.
std::string FuzzLoadJob(std::string_view bytes);
// A job from the bytes (as FuzzLoadJob) run over a small simulated disk: counted, then copied
// with every question answered Yes. The marked folders' files are never harmed unless the
// job copies in reverse, and no temporary copy is left anywhere.
std::string FuzzRunJob(std::string_view bytes);
// The command line: split, quoted again, split again.
std::string FuzzCmdLine(std::string_view bytes);
// The code page detection of text files: decoded, encoded, decoded again.
std::string FuzzDecodeText(std::string_view bytes);

// A job received from elsewhere (the job file, its list and its history, between NUL bytes),
// opened as the window opens it: from the command line with no command, with "Åbn job..." and
// by the job engine. Opening shows the job and never starts a run, and no file on the disk is
// created, written, copied, moved, deleted or given other attributes, whatever the files hold.
std::string FuzzOpenJob(std::string_view bytes);
// A job's history (NAME.log): every line read is written again the same; markers and the
// message of failed runs hold; a run appended reads back as the newest, and a file the append
// refuses is left as it was.
std::string FuzzHistory(std::string_view bytes);
// A task read back from the Task Scheduler (numbers, texts and the job's path from the bytes):
// the plan shown is a sound one, and OK in the dialog writes it back as read or leaves a task
// it cannot show alone.
std::string FuzzSchedule(std::string_view bytes);
// The program's registry values ("Start", "Filer") as damage or a hand edit may leave them: the
// window placement reads back as written, and the recent-file list keeps its rules.
std::string FuzzSettings(std::string_view bytes);

struct NamedTarget {
    const char* name;  // the folder of its seeds under fuzz/corpus/
    Target run;
};
const std::vector<NamedTarget>& AllTargets();

}  // namespace tavrel::fuzz
