# Laid paper: close horizontal laid lines crossed by widely spaced chain lines.
ISL 1
size 256 256
seed 103
background 240 236 226
pattern kind=1 cell=5 width=30 opacity=25 color1=240,236,226 color2=210,204,192
pattern kind=2 cell=64 width=5 opacity=35 color1=240,236,226 color2=200,194,182
perlin cell=128 octaves=3 opacity=15 color1=220,214,204 color2=250,248,242
noise cell=1 opacity=8 color1=200,196,188
