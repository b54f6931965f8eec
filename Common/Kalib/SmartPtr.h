#pragma once
// Reference-counted owning pointer. Not thread-safe: the count is a plain integer and
// every pointer lives on the GUI thread.
#include <utility>

template <class T>
class SmartPtr {
 public:
  // The shared counter record: the owned object and how many pointers share it.
  // Destroying a record deletes its object.
  struct Compteur {
    T* mpObject;
    int mCount;

    explicit Compteur(T* object) : mpObject(object), mCount(1) {}
    Compteur(const Compteur&) = delete;
    Compteur& operator=(const Compteur&) = delete;
    ~Compteur() { delete mpObject; }
  };

  SmartPtr() noexcept = default;

  // Takes ownership of a heap object; null gives an empty pointer and allocates nothing.
  explicit SmartPtr(T* object) {
    if (object == nullptr) return;
    try {
      mpCompteur = new Compteur(object);
    } catch (...) {
      delete object;  // the object is never left without an owner
      throw;
    }
  }

  SmartPtr(const SmartPtr& other) noexcept : mpCompteur(other.mpCompteur) {
    if (mpCompteur) ++mpCompteur->mCount;
  }

  SmartPtr(SmartPtr&& other) noexcept : mpCompteur(std::exchange(other.mpCompteur, nullptr)) {}

  ~SmartPtr() { Release(mpCompteur); }

  // Sharing the same record (or both empty) changes nothing. The new record is taken
  // before the old one is released, since releasing may destroy the object that holds other.
  SmartPtr& operator=(const SmartPtr& other) noexcept {
    if (mpCompteur == other.mpCompteur) return *this;
    Compteur* old = mpCompteur;
    mpCompteur = other.mpCompteur;
    if (mpCompteur) ++mpCompteur->mCount;
    Release(old);
    return *this;
  }

  SmartPtr& operator=(SmartPtr&& other) noexcept {
    if (this == &other) return *this;
    Compteur* old = std::exchange(mpCompteur, std::exchange(other.mpCompteur, nullptr));
    Release(old);
    return *this;
  }

  // The owned object, or null for an empty pointer.
  T* Get() const noexcept { return mpCompteur ? mpCompteur->mpObject : nullptr; }
  T* operator->() const noexcept { return Get(); }
  T& operator*() const noexcept { return *Get(); }
  explicit operator bool() const noexcept { return Get() != nullptr; }

  // How many pointers share the object; 0 for an empty pointer.
  int UseCount() const noexcept { return mpCompteur ? mpCompteur->mCount : 0; }

 private:
  static void Release(Compteur* compteur) noexcept {
    if (compteur && --compteur->mCount == 0) Destroy(compteur);
  }
  // Out of line: with the delete inlined next to a second release of a shared record,
  // GCC reports a use-after-free that the count rules out.
  [[gnu::noinline]] static void Destroy(Compteur* compteur) noexcept { delete compteur; }

  Compteur* mpCompteur = nullptr;
};
