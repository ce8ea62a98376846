// What of Emscripten's runtime the page does itself (linked with --js-library, which replaces the
// runtime's functions of the same names).
mergeInto(LibraryManager.library, {
  // Emscripten's OpenAL resumes a suspended audio context at the first key or mouse press anywhere
  // in the document. The page starts and stops the program's sound itself (web/page.js): with the
  // picture, after the viewer's click, and never in a hidden tab. A key pressed before the start, or a
  // click on "Full screen", must not set the loops playing under the waiting picture, so the context
  // is suspended from its creation and only the page resumes it.
  $autoResumeAudioContext: function (context) {
    context.suspend();
  },
});
