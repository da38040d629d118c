#pragma once

// The user's messages and the firmware page as work on a link job's worker
// sees them: every call runs on the main thread and the worker waits for it.
// A call the job's cancel overtook is dropped.

#include <string>
#include <string_view>

#include "core/user_messages.h"
#include "link/firmware_update.h"
#include "link/link_job.h"

namespace orvel {

class MessagesOnMain final : public UserMessages {
 public:
  MessagesOnMain(const LinkJobContext& job, UserMessages& messages) : Job(job), Messages(messages) {}
  void ShowMessage(std::string_view text) override {
    const std::string kept(text);
    Job.OnMain([&] { Messages.ShowMessage(kept); });
  }

 private:
  const LinkJobContext& Job;
  UserMessages& Messages;
};

class FirmwarePageOnMain final : public FirmwarePage {
 public:
  FirmwarePageOnMain(const LinkJobContext& job, FirmwarePage& page) : Job(job), Page(page) {}
  [[nodiscard]] bool RecoveryTicked() const override {
    bool ticked = false;
    Job.OnMain([&] { ticked = Page.RecoveryTicked(); });
    return ticked;
  }
  void UntickRecovery() override {
    Job.OnMain([&] { Page.UntickRecovery(); });
  }
  void SetProgress(int percent) override {
    Job.OnMain([&] { Page.SetProgress(percent); });
  }
  [[nodiscard]] bool LiveDataRunning() const override {
    bool running = false;
    Job.OnMain([&] { running = Page.LiveDataRunning(); });
    return running;
  }

 private:
  const LinkJobContext& Job;
  FirmwarePage& Page;
};

}  // namespace orvel
