# Sand: fine warm grains with faint wind ripples.
ISL 1
size 256 256
seed 501
background 214 186 138
pattern kind=1 cell=12 width=40 opacity=12 color1=214,186,138 color2=176,148,102
noise cell=1 opacity=55 color1=186,156,110 color2=236,214,172
points count=600 size=1 vary=100 opacity=60 color1=160,130,90 color2=250,236,210
