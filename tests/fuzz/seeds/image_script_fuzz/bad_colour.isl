ISL 1
size 2 2
fill color1=1,2 
