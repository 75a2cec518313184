#include "vault/CategoryMembers.h"

IdentitySet* CategoryMembers::of(const Dictionary& category) {
  auto* members = dynamic_cast<CategoryMembers*>(category.attachment());
  return members ? &members->records_ : nullptr;
}

IdentitySet& CategoryMembers::ensure(Dictionary& category) {
  if (IdentitySet* members = of(category)) return *members;
  return reset(category);
}

IdentitySet& CategoryMembers::reset(Dictionary& category) {
  auto members = std::make_unique<CategoryMembers>();
  IdentitySet& records = members->records_;
  category.setAttachment(std::move(members));
  return records;
}
