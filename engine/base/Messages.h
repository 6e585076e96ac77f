// The engine's numbered messages. Components report errors by number (ECode); the
// application looks the text up itself, so these English texts are the fallback and the
// text carried by E_RAISE.
#pragma once

#include <string_view>

namespace qel {

// Numbers the engine's own code refers to by name.
namespace msg {
inline constexpr int FileIsDirectory = 25110;
inline constexpr int BadFileHeader = 25114;
inline constexpr int NoBeginLine = 25123;
inline constexpr int BadLocalOffset = 25115;
inline constexpr int IncorrectNumberOfBits = 25134;
inline constexpr int InvalidDecodeTree = 25152;
inline constexpr int BrokenVolumeChain = 25135;
inline constexpr int ErrorWritingFile = 25136;
inline constexpr int UnsupportedOverwriteAttr = 25137;
inline constexpr int ErrorClosingFile = 25142;
inline constexpr int IncompleteCodeSet = 25144;
inline constexpr int CorruptInput = 25146;
inline constexpr int ErrorCreatingDir = 25150;
inline constexpr int CrcCheckFailed = 25151;
inline constexpr int SameInputOutput = 25191;
inline constexpr int UnknownFlags = 25210;
inline constexpr int ErrorOpeningFile = 25215;
inline constexpr int ErrorReadingFile = 25216;
inline constexpr int ErrorCreatingFile = 25217;
inline constexpr int NotEnoughDiskSpace = 25156;
inline constexpr int DiskFull = 25160;
inline constexpr int ErrorDeletingFiles = 25180;
inline constexpr int UnexpectedEndOfFile = 25176;
inline constexpr int NothingToDo = 25278;
inline constexpr int SizeTooSmall = 25298;
inline constexpr int NothingToUpdate = 25728;  // the same text, for a missing archive
inline constexpr int UnsupportedArchiveType = 25234;
inline constexpr int LineBeforeBegin = 25231;
inline constexpr int InvalidFileName = 25235;
inline constexpr int MaximumVolumes = 25245;
inline constexpr int InvalidDirectory = 25158;
inline constexpr int NotAccessible = 25170;
inline constexpr int FileNotFound = 25192;
inline constexpr int FileSizeDifferent = 25193;
inline constexpr int AccessPermissions = 25279;
inline constexpr int RegistryPermissions = 25280;
inline constexpr int TooManyNestedDirs = 25270;
inline constexpr int MultiPartGzip = 25269;
inline constexpr int PasswordProtected = 25290;
inline constexpr int FileSizeNotSupported = 25299;
inline constexpr int RequiredEventNotAssigned = 25281;
inline constexpr int RequiredPropertyNotAssigned = 25282;
inline constexpr int SevenZipLibraryNotFound = 25264;
inline constexpr int CabinetLibraryNotFound = 25258;
inline constexpr int CabinetNeedsFirstDisk = 25501;
inline constexpr int CabinetNotInSet = 25504;
inline constexpr int UnsupportedMethod = 25326;
inline constexpr int UnsupportedEncryption = 25327;
inline constexpr int UnknownFileType = 25328;
inline constexpr int StackOverflow = 25305;
inline constexpr int VersionError = 25360;
inline constexpr int UnknownError = 25355;
inline constexpr int UserCanceled = 25361;
inline constexpr int ArchiveChanged = 25364;
inline constexpr int DuplicateName = 25365;
inline constexpr int RarEncryptionUnsupported = 25366;
inline constexpr int OutOfMemory = 25246;
inline constexpr int BadBlock = 25116;
inline constexpr int RarLibraryNotFound = 25257;
inline constexpr int AceLibraryNotLoaded = 25103;
inline constexpr int PasswordFailed = 25722;
inline constexpr int InvalidPassword = 25717;
inline constexpr int SkippedFile = 25725;
inline constexpr int AllFilesFilter = 25600;
inline constexpr int AllArchivesFilter = 25601;
inline constexpr int ExecutablesFilter = 25602;
}  // namespace msg

// The text of message `code`, or "" when the engine has no such message.
std::string_view MessageText(int code);

}  // namespace qel
