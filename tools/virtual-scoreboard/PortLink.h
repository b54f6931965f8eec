#pragma once
// The link comN in the per-user port folder that lets a program open our terminal as ComN.
#include <string>

namespace scoreboard {

class PortLink {
 public:
  PortLink() = default;
  ~PortLink() { Remove(); }
  PortLink(const PortLink&) = delete;
  PortLink& operator=(const PortLink&) = delete;

  // Points the link of port (1-26) at device, creating the folder when needed. A link left
  // dangling by a program that died is replaced; one that points at a live device only with
  // replace. Anything other than a link is never touched. False with error on refusal.
  bool Create(int port, const std::string& device, bool replace, std::string& error);

  // Removes the link if it still points at our device (a newer owner keeps it).
  void Remove();

  const std::string& Path() const { return mPath; }

 private:
  std::string mPath;
  std::string mDevice;
};

}  // namespace scoreboard
