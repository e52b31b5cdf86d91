// SPDX-License-Identifier: MIT
// File services of the platform layer: attributes, directory search, names,
// the current directory, directories, rename and delete, file dates and
// handle-level reading. Failures follow the classic contracts: -1, non-zero
// or false; nothing here throws for a bad name.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "rtl/core/sysutils.h"
#include "rtl/files/export.h"
#include "rtl_platform.h"

namespace rtl {

constexpr int32_t faReadOnly = 0x01;
constexpr int32_t faHidden = 0x02;
constexpr int32_t faSysFile = 0x04;
constexpr int32_t faVolumeID = 0x08;
constexpr int32_t faDirectory = 0x10;
constexpr int32_t faArchive = 0x20;
constexpr int32_t faAnyFile = 0x3F;

constexpr uint32_t fmOpenRead = 0x0000;
constexpr uint32_t fmOpenWrite = 0x0001;
constexpr uint32_t fmOpenReadWrite = 0x0002;
constexpr uint32_t fmCreate = 0xFFFF;

namespace detail {
struct FindState;
struct AttributeCacheData;
}  // namespace detail

// One entry of a directory search.
struct TSearchRec {
  int64_t Time = 0;  // packed last-write time (see DateTimeToFileDate)
  int64_t Size = 0;  // bytes
  int32_t Attr = 0;  // attribute word
  std::string Name;  // without directory
  int32_t ExcludeAttr = 0;
  std::shared_ptr<detail::FindState> FindHandle;  // the open search, if any
};

// While an object of this class lives, the attribute lookups of this thread
// (FileGetAttr, the directory search, FileSetAttr) read the hidden, system and
// archive bits a file keeps in its extended attribute once, and reuse them for
// later lookups of the same file as long as its inode and change time are the
// ones seen then; any change of those bits, of the permissions or of the
// content moves the change time. Where the file system's clock is coarser
// than the changes (kernels without fine-grained change times), a second
// change within the same tick as the first can go unseen while the cache
// lives, so keep it for the length of one operation. A copy run that lists
// its sources and then searches them again thus reads each file's extended
// attribute once. Objects nest: an inner one leaves the outer one's cache in
// place.
class QUINDLE_RTL_FILES_EXPORT TAttributeCache {
 public:
  TAttributeCache();
  ~TAttributeCache();
  TAttributeCache(const TAttributeCache&) = delete;
  TAttributeCache& operator=(const TAttributeCache&) = delete;

 private:
  std::unique_ptr<detail::AttributeCacheData> FData;
};

// Attributes: the attribute word, or -1 when the name cannot be queried
// (missing, dangling link, or a name with wild cards).
QUINDLE_RTL_FILES_EXPORT int32_t FileGetAttr(const std::string& FileName);
// The read-only bit alone (faReadOnly or 0); -1 when the file cannot be
// queried. The name is taken literally, wild-card characters included. One
// call where FileGetAttr needs two.
QUINDLE_RTL_FILES_EXPORT int32_t FileGetReadOnly(const std::string& FileName);
// 0 on success, otherwise the system's error number.
QUINDLE_RTL_FILES_EXPORT int32_t FileSetAttr(const std::string& FileName, int32_t Attr);
// True when a file created in the directory Dir ("" for the current one) gets
// the permissions its creator asks for less the umask: Dir has no default
// access control list, which would decide them instead. A file just created
// there then already has what FileSetAttr gives for a word without
// read-only, hidden, system and archive, and setting it changes nothing.
QUINDLE_RTL_FILES_EXPORT bool NewFilesFollowUmask(const std::string& Dir);

// Directory search. Wild cards `*` and `?` in the last component; `*.*` matches
// every name. Entries come in byte order of their names. An entry carrying the
// hidden, system, volume-label or directory bit is returned only when Attr holds
// that bit. 0 when an entry was found, non-zero otherwise.
QUINDLE_RTL_FILES_EXPORT int32_t FindFirst(const std::string& Path, int32_t Attr, TSearchRec& F);
QUINDLE_RTL_FILES_EXPORT int32_t FindNext(TSearchRec& F);
QUINDLE_RTL_FILES_EXPORT void FindClose(TSearchRec& F);

// True for a character that separates the parts of a name.
constexpr bool IsPathDelimiter(char C) {
  return C == PathDelim || C == AltPathDelim;
}
// Name helpers. ExtractFileName: the text after the last separator or drive
// delimiter; ExtractFilePath: the text up to and including it;
// ExtractFileDir: the path without its final separator, unless that follows
// a drive delimiter or another separator.
QUINDLE_RTL_FILES_EXPORT std::string ExtractFileName(const std::string& FileName);
QUINDLE_RTL_FILES_EXPORT std::string ExtractFilePath(const std::string& FileName);
QUINDLE_RTL_FILES_EXPORT std::string ExtractFileDir(const std::string& FileName);

QUINDLE_RTL_FILES_EXPORT std::string GetCurrentDir();
QUINDLE_RTL_FILES_EXPORT bool SetCurrentDir(const std::string& Dir);
QUINDLE_RTL_FILES_EXPORT bool CreateDir(const std::string& Dir);
QUINDLE_RTL_FILES_EXPORT bool FileExists(const std::string& FileName);
QUINDLE_RTL_FILES_EXPORT bool DirectoryExists(const std::string& Name);
// True when Name is a directory this process may enter, found without
// entering it: the current directory stays as it is.
QUINDLE_RTL_FILES_EXPORT bool DirectoryEnterable(const std::string& Name);
QUINDLE_RTL_FILES_EXPORT bool DeleteFile(const std::string& FileName);
// Never replaces an existing NewName.
QUINDLE_RTL_FILES_EXPORT bool RenameFile(const std::string& OldName, const std::string& NewName);

// Packed file date-time: ticks of 1 / FileDateTicksPerSecond second since
// 1970-01-01 UTC (rtl_platform.h: microseconds on POSIX, the 100 ns the file
// system holds on Windows), so that a copy keeps its source's time to the
// tick. A round trip through TDateTime keeps the microsecond for dates from
// 1720 to mid-2079.
QUINDLE_RTL_FILES_EXPORT TDateTime FileDateToDateTime(int64_t FileDate);
// -1 when DateTime is not a date between the years 1 and 9999.
QUINDLE_RTL_FILES_EXPORT int64_t DateTimeToFileDate(TDateTime DateTime);
// Sets the last-write time of an open file; 0 on success, otherwise the
// system's error number.
QUINDLE_RTL_FILES_EXPORT int32_t FileSetDate(THandle Handle, int64_t Age);
// Last-write time of a named file, packed; -1 when it cannot be read.
QUINDLE_RTL_FILES_EXPORT int64_t FileAge(const std::string& FileName);
// The current local date and time.
QUINDLE_RTL_FILES_EXPORT TDateTime Now();

// Mode & 3 is fmOpenRead, fmOpenWrite or fmOpenReadWrite; InvalidHandle on
// failure, and for a directory.
QUINDLE_RTL_FILES_EXPORT THandle FileOpen(const std::string& FileName, uint32_t Mode);
// Bytes read, 0 at the end of the file, -1 on failure.
QUINDLE_RTL_FILES_EXPORT int32_t FileRead(THandle Handle, void* Buffer, int32_t Count);
// The same at Offset, leaving the file position alone, so that several threads
// can read one handle. Fewer than Count bytes only at the end of the file.
QUINDLE_RTL_FILES_EXPORT int32_t FileReadAt(THandle Handle, void* Buffer, int32_t Count,
                                            int64_t Offset);
QUINDLE_RTL_FILES_EXPORT void FileClose(THandle Handle);

// Whether the system shows critical-error boxes (a drive without a disk);
// the previous mode is returned.
QUINDLE_RTL_FILES_EXPORT uint32_t SetErrorMode(uint32_t Mode);

}  // namespace rtl
