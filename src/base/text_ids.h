#pragma once
// The string table's message texts with blanks ("%1"..), shared by the core and qspctl.

namespace qsp {

// Profiles
inline constexpr int kTextProfileAction = 240;
inline constexpr int kTextProfileCannotTake = 241;
inline constexpr int kTextProfileCannotTakeChoices = 242;
inline constexpr int kTextProfileTwoCharacters = 243;
inline constexpr int kTextProfileKeyNames = 244;
inline constexpr int kTextProfileOutOfRange = 245;
inline constexpr int kTextProfileTooLong = 246;
inline constexpr int kTextProfileNotCodeType = 247;
inline constexpr int kTextProfileNoPage = 248;
inline constexpr int kTextProfileNotASetting = 249;
inline constexpr int kTextProfileBeforeSection = 250;
inline constexpr int kTextProfileSetTwice = 251;
inline constexpr int kTextProfileRowHidden = 252;
inline constexpr int kTextProfileNoRow = 253;
inline constexpr int kTextProfileUndone = 254;
inline constexpr int kTextCannotReadProfile = 217;

// Setting up one scanner
inline constexpr int kTextAlreadyHolds = 255;
inline constexpr int kTextReadBackDiffers = 256;

// qspctl
inline constexpr int kTextCannotWrite = 257;
inline constexpr int kTextCloneNeedsSerial = 258;
inline constexpr int kTextUnknownCommand = 259;
inline constexpr int kTextCannotWriteReport = 260;
inline constexpr int kTextCannotWatchStops = 261;
inline constexpr int kTextResultProgrammed = 262;
inline constexpr int kTextResultUnchanged = 263;
inline constexpr int kTextResultFailed = 264;
inline constexpr int kTextDeployFacts = 265;
inline constexpr int kTextDeployTotals = 266;
inline constexpr int kTextPluggedIn = 267;
inline constexpr int kTextUnplugged = 268;
inline constexpr int kTextWatching = 269;
inline constexpr int kTextSettingUpOnce = 270;
inline constexpr int kTextAndUdev = 271;
inline constexpr int kTextWatchingOnly = 272;
inline constexpr int kTextTotalOne = 273;
inline constexpr int kTextTotalMany = 274;
inline constexpr int kTextCannotReach = 275;
inline constexpr int kTextNoSetupResult = 276;
inline constexpr int kTextCannotStartSetup = 277;

// Parameter files
inline constexpr int kTextOnLine = 278;
inline constexpr int kTextParamFileTooLong = 279;
inline constexpr int kTextNotAByte = 280;
inline constexpr int kTextParamFileShort = 281;
inline constexpr int kTextCannotRead = 282;

// Child processes
inline constexpr int kTextNoResultWithin = 283;
inline constexpr int kTextProcessStopped = 284;
inline constexpr int kTextProcessCrashed = 285;
inline constexpr int kTextProcessStatus = 286;

// qspctl monitor and update
inline constexpr int kTextCannotOpenPort = 287;
inline constexpr int kTextContinueYesNo = 288;

// Host link kept or moved by a set-up
inline constexpr int kTextKeptLink = 289;
inline constexpr int kTextMovedLink = 290;

// A profile's raw form
inline constexpr int kTextProfileRawForm = 291;

// Watching udev
inline constexpr int kTextUdevUnavailable = 292;
inline constexpr int kTextUdevCannotListen = 293;

// qspctl check
inline constexpr int kTextWouldProgram = 294;

// Fleet set-up that can be left running
inline constexpr int kTextResultNotStarted = 295;
inline constexpr int kTextResultInterrupted = 296;
inline constexpr int kTextResultNoScanner = 297;
inline constexpr int kTextDeployMoreTotals = 298;
inline constexpr int kTextDeviceBusy = 299;
inline constexpr int kTextDeployerGone = 300;
inline constexpr int kTextStoppedBeforeStart = 301;
inline constexpr int kTextNotPropertyMatch = 302;
inline constexpr int kTextStopping = 303;

}  // namespace qsp
