/* The synthesizer's C interface: 23 entry points with C linkage, loaded at
 * run time by name. On 32-bit Windows they use the __stdcall convention and
 * are exported undecorated from mbrola.dll; elsewhere the library is
 * libzebmbr.so with the platform's default convention.
 *
 * Samples are 16-bit signed mono, by default at the voice's rate (16000 Hz).
 * Phoneme lines: "name duration [position% pitchHz]...", ';' starts a
 * comment, '#' alone on a line flushes. Durations are clamped to 0..10000 ms,
 * pitches to 40..1000 Hz, positions to 0..100 %; at most 32 pitch points of
 * a line are kept and lines longer than 4096 characters are dropped. */
#ifndef MBRSYNTH_MBROLA_API_H
#define MBRSYNTH_MBROLA_API_H

#if defined(_WIN32) && !defined(_WIN64)
#define MBR_API __stdcall
#else
#define MBR_API
#endif

#if defined(MBRSYNTH_BUILDING) && defined(_WIN32)
#define MBR_EXPORT __declspec(dllexport)
#elif defined(MBRSYNTH_BUILDING)
#define MBR_EXPORT __attribute__((visibility("default")))
#else
#define MBR_EXPORT
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Sample formats of readtype_MBR. */
enum { MBR_LIN16 = 0, MBR_LIN8 = 1, MBR_ULAW = 2, MBR_ALAW = 3 };

/* Error codes of lastError_MBR (0: none). */
enum {
    MBR_ERROR_DATABASE_MISSING = -1,
    MBR_ERROR_DATABASE_INVALID = -2,
    MBR_ERROR_UNKNOWN_PHONEME = -3,
    MBR_ERROR_MISSING_DIPHONE = -4,
    MBR_ERROR_BAD_LINE = -5,
    MBR_ERROR_LINE_TOO_LONG = -6,
    MBR_ERROR_QUEUE_FULL = -7,
    MBR_ERROR_BAD_ARGUMENT = -8,
    MBR_ERROR_NOT_INITIALISED = -9
};

MBR_EXPORT int MBR_API init_MBR(char *dbaseName);
/* rename and clone: blank-separated "old new" pairs of phoneme names, or NULL. */
MBR_EXPORT int MBR_API init_rename_MBR(char *dbaseName, char *rename, char *clone);
MBR_EXPORT int MBR_API write_MBR(char *buffer);
MBR_EXPORT int MBR_API flush_MBR(void);
MBR_EXPORT int MBR_API read_MBR(short *buffer, int nbWanted);
MBR_EXPORT int MBR_API readtype_MBR(void *buffer, int nbWanted, int audioType);
MBR_EXPORT void MBR_API close_MBR(void);
MBR_EXPORT int MBR_API reset_MBR(void);
MBR_EXPORT int MBR_API lastError_MBR(void);
MBR_EXPORT int MBR_API lastErrorStr_MBR(char *buffer, int size);
MBR_EXPORT void MBR_API setNoError_MBR(int noError);
MBR_EXPORT int MBR_API getNoError_MBR(void);
MBR_EXPORT void MBR_API setFreq_MBR(int freq);
MBR_EXPORT int MBR_API getFreq_MBR(void);
MBR_EXPORT void MBR_API setVolumeRatio_MBR(float ratio);
MBR_EXPORT float MBR_API getVolumeRatio_MBR(void);
MBR_EXPORT int MBR_API getVersion_MBR(char *buffer, int size);
/* index 0: the voice's own description; 1: its figures; beyond: 0. */
MBR_EXPORT int MBR_API getDatabaseInfo_MBR(char *buffer, int size, int index);
/* Only the built-in reader of phoneme lines is offered: the call is accepted
 * and changes nothing. */
MBR_EXPORT void MBR_API setParser_MBR(void *parser);
/* Phone records for callers that build phones themselves. */
MBR_EXPORT void *MBR_API init_Phone(char *name, float length);
MBR_EXPORT void MBR_API reset_Phone(void *phone);
MBR_EXPORT void MBR_API close_Phone(void *phone);
MBR_EXPORT void MBR_API appendf0_Phone(void *phone, float position, float frequency);

#ifdef __cplusplus
}
#endif

#endif
