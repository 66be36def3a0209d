// The fixture pages, one per way pages were written: each is a body fragment placed in
// a page that loads corvida.js, with the players it should end up with.
export const fixtures = [
  {
    name: 'plain-embed',
    body: '<embed id="p" src="demo.stk" width="512" height="342">',
    players: 1,
  },
  {
    name: 'object-with-param',
    body: '<object id="p" width="512" height="342"><PARAM NAME="Src" VALUE="demo.stk"></object>',
    players: 1,
  },
  {
    name: 'object-wrapping-embed',
    body: '<object id="p" data="demo.stk" type="application/corvida" width="512" height="342">' +
          '<embed src="demo.stk" width="512" height="342"></object>',
    players: 1,
  },
  {
    name: 'type-without-extension',
    body: '<embed id="p" SRC="stack-file" TYPE="application/cvtu" WIDTH="512" HEIGHT="342">',
    players: 1,
  },
  {
    name: 'query-and-fragment',
    body: '<embed id="p" src="demo.stk?edition=2#start" width="512" height="342">',
    players: 1,
  },
  {
    name: 'added-after-load',
    body: '<div id="later"></div><script>setTimeout(() => { const e = document.createElement' +
          '("embed"); e.id = "p"; e.setAttribute("src", "demo.stk"); e.setAttribute("width", ' +
          '"512"); e.setAttribute("height", "342"); document.getElementById("later")' +
          '.appendChild(e); }, 300);</script>',
    players: 1,
  },
  {
    name: 'two-players',
    body: '<embed id="p" src="demo.stk" width="512" height="342">' +
          '<embed id="q" src="demo.stk" width="512" height="342">',
    players: 2,
  },
];

// Elements that are not stacks stay as they are.
export const notStacks = {
  name: 'not-stacks',
  body: '<embed id="flash" src="movie.swf" width="100" height="100">' +
        '<object id="pdf" data="paper.pdf" width="100" height="100"></object>',
};

export function page(body) {
  return '<!doctype html><html><head><meta charset="utf-8"><title>fixture</title></head>' +
         '<body style="margin:0">' + body + '<script src="corvida.js"></script></body></html>';
}
