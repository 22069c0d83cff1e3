// AutoAlloc: an object of a host class made with T::Alloc() and given back
// with T::Free() when the scope ends, on every path.
#ifndef C4D_MEMORY_H__
#define C4D_MEMORY_H__

template <class T>
class AutoAlloc
{
public:
	AutoAlloc() : ptr_(T::Alloc()) {}
	~AutoAlloc() { T::Free(ptr_); }

	// Null when the allocation failed.
	T* Get() const { return ptr_; }
	operator T*() const { return ptr_; }
	T* operator->() const { return ptr_; }
	bool operator!() const { return ptr_ == nullptr; }

private:
	AutoAlloc(const AutoAlloc&);
	AutoAlloc& operator=(const AutoAlloc&);
	T* ptr_;
};

#endif
