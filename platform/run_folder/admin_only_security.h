// A security descriptor that lets only Administrators and SYSTEM in, owned
// by Administrators, for a folder where an elevated program keeps what it
// starts. Its entries pass to what is created inside, and nothing is
// inherited from the parent (the user's temporary folder grants the user
// full control).
#pragma once
#include <windows.h>

class AdminOnlySecurity {
 public:
  AdminOnlySecurity();
  ~AdminOnlySecurity();
  AdminOnlySecurity(const AdminOnlySecurity&) = delete;
  AdminOnlySecurity& operator=(const AdminOnlySecurity&) = delete;

  // Builds the descriptor (NT only); with `withOwner` false the creator's
  // default owner stays. False when any part cannot be made, or on 9x.
  bool Build(bool withOwner);
  SECURITY_ATTRIBUTES* Attributes() { return &attributes; }
  void* Descriptor() { return &descriptor; }

 private:
  ACL* acl;
  SECURITY_DESCRIPTOR descriptor;
  SECURITY_ATTRIBUTES attributes;
};
