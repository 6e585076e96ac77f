// An IPrompter that answers from scripts, one queue per kind of answer, and notes every
// question. An empty queue answers as a user closing the box would: No, Cancel, nothing.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/prompts/Prompter.h"

namespace vk::app::test {

class TScriptedPrompter : public IPrompter {
 public:
  std::deque<TReplaceReply> Replies;
  std::deque<TNameReply> Names;
  std::deque<std::optional<std::string>> Texts;  // passwords, volume paths, folders
  std::deque<bool> Choices;                      // disks, clear disk, read-only, header, TAR
  std::deque<TAnswer> Outputs;

  std::vector<std::string> Asked;  // "replace NAME", "password NAME", ...
  std::vector<TReplaceQuestion> ReplaceQuestions;

  TReplaceReply AskReplace(const TReplaceQuestion& q) override {
    ReplaceQuestions.push_back(q);
    return Next(Replies, "replace " + q.Existing.Name, TReplaceReply{});
  }
  TNameReply AskNewName(const std::string& storedName, const std::string&) override {
    return Next(Names, "name " + storedName, TNameReply{});
  }
  std::optional<std::string> AskPassword(const std::string& fileName, const std::string&) override {
    return Next(Texts, "password " + fileName, std::optional<std::string>());
  }
  std::optional<std::string> AskVolume(const std::string& volumeName, int number) override {
    return Next(Texts, "volume " + std::to_string(number) + " " + volumeName,
                std::optional<std::string>());
  }
  bool AskDisk(TDiskRequest request, const std::string& label) override {
    return Next(Choices, "disk " + std::to_string(int(request)) + label, false);
  }
  bool AskClearDisk(const TDiskSpace& space) override {
    return Next(Choices, "clear " + space.Drive, false);
  }
  void ShowNotice(TNotice notice, const std::string& detail) override {
    Asked.push_back("notice " + std::to_string(int(notice)) + " " + detail);
  }
  bool AskWriteReadOnly(const std::string& archive) override {
    return Next(Choices, "read-only " + archive, false);
  }
  std::optional<std::string> AskUserFolder(const std::string& protectedDir,
                                           const std::string&) override {
    return Next(Texts, "folder " + protectedDir, std::optional<std::string>());
  }
  bool AskCorruptHeader(const std::string& archive) override {
    return Next(Choices, "header " + archive, false);
  }
  bool AskNestedTar(const std::string& fileName) override {
    return Next(Choices, "tar " + fileName, false);
  }
  TAnswer AskOutputExists(const std::string& fileName) override {
    return Next(Outputs, "output " + fileName, TAnswer::Cancel);
  }

 private:
  template <typename T>
  T Next(std::deque<T>& queue, std::string question, T closed) {
    Asked.push_back(std::move(question));
    if (queue.empty()) return closed;
    T answer = std::move(queue.front());
    queue.pop_front();
    return answer;
  }
};

}  // namespace vk::app::test
