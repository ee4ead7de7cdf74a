// The script half of the browser's PNG decoder (render/browser/image_png.cpp). While the
// data package loads, the browser's own image decoder turns every ".png" file into a canvas
// in Module.preloadedImages, where emscripten_get_preloaded_image_data reads the pixels.
// The file is created whether or not it decodes, so the program can read its bytes and say
// what is wrong with it. Every other file, BMP included, stays a plain file for the program.
Module['noImageDecoding'] = true;
Module['preloadPlugins'] = Module['preloadPlugins'] || [];
Module['preloadPlugins'].push({
  // Case-sensitive, as the program picks its decoder.
  'canHandle': function (name) {
    return /\.png$/.test(name);
  },
  'handle': function (bytes, name, onload) {
    var created = function () {
      onload(bytes);
    };
    var blob = new Blob([bytes], { type: 'image/png' });
    // The stored values, without colour management.
    createImageBitmap(blob, { premultiplyAlpha: 'none', colorSpaceConversion: 'none' }).then(function (bitmap) {
      var canvas = document.createElement('canvas');
      canvas.width = bitmap.width;
      canvas.height = bitmap.height;
      canvas.getContext('2d', { willReadFrequently: true }).drawImage(bitmap, 0, 0);
      bitmap.close();
      Module['preloadedImages'][name] = canvas;
      created();
    }, created);
  }
});
