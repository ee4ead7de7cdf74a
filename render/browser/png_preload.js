// The script half of the browser's PNG decoder (render/browser/image_png.cpp). While the
// data package loads, the browser's own image decoder turns every ".png" file into a canvas
// in Module.preloadedImages, where emscripten_get_preloaded_image_data reads the pixels.
// The file is created whether or not it decodes, so the program can read its bytes and say
// what is wrong with it. Every other file, BMP and WAV included, stays a plain file for the
// program: the browser's own image and audio decoders never see them.
Module['noImageDecoding'] = true;
Module['noAudioDecoding'] = true;
Module['preloadPlugins'] = Module['preloadPlugins'] || [];
Module['preloadPlugins'].push({
  // Case-sensitive, as the program picks its decoder.
  'canHandle': function (name) {
    return /\.png$/.test(name);
  },
  'handle': function (bytes, name, onload) {
    // The package waits for every file: whatever fails below (no createImageBitmap, a
    // refused decode, no 2D context for a large canvas, a throw anywhere), the file is
    // still created, once, without a canvas, and the program reports it as undecodable.
    var done = false;
    var created = function () {
      if (done) return;
      done = true;
      onload(bytes);
    };
    var keep = function (bitmap) {
      try {
        var canvas = document.createElement('canvas');
        canvas.width = bitmap.width;
        canvas.height = bitmap.height;
        var context = canvas.getContext('2d', { willReadFrequently: true });
        if (context) {
          context.drawImage(bitmap, 0, 0);
          Module['preloadedImages'][name] = canvas;
        }
      } finally {
        if (bitmap.close) bitmap.close();
      }
    };
    try {
      var blob = new Blob([bytes], { type: 'image/png' });
      // The stored values, without colour management.
      createImageBitmap(blob, { premultiplyAlpha: 'none', colorSpaceConversion: 'none' })
        .then(keep)
        .catch(function () {})
        .then(created);
    } catch (error) {
      created();
    }
  }
});
